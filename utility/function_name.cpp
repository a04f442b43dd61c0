#include "utility/function_name.h"


namespace common {

std::string qualifiedFunctionName(const char* prettyFunction) {
  if (!prettyFunction) return std::string();
  std::string text(prettyFunction);
  // "static T X::f(T) [with T = int]": the binding list says nothing the name needs.
  size_t with = text.find(" [with ");
  if (with != std::string::npos) text.erase(with);

  // The name ends at the first "(" outside template brackets that is not part of
  // "operator()"; a lambda's "::<lambda()>" suffix starts after it and so is dropped.
  int depth = 0;
  size_t open = std::string::npos;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '<') {
      ++depth;
    } else if (c == '>') {
      if (depth > 0) --depth;
    } else if (c == '(' && depth == 0) {
      if (i >= 8 && text.compare(i - 8, 8, "operator") == 0 && i + 1 < text.size() && text[i + 1] == ')') {
        ++i;
        continue;
      }
      open = i;
      break;
    }
  }
  std::string head = text.substr(0, open);

  // Drop the return type and specifiers: the name is the last blank-separated word
  // outside template brackets ("operator bool" keeps its blank).
  depth = 0;
  size_t start = 0;
  for (size_t i = 0; i < head.size(); ++i) {
    char c = head[i];
    if (c == '<') {
      ++depth;
    } else if (c == '>') {
      if (depth > 0) --depth;
    } else if (c == ' ' && depth == 0) {
      bool afterOperator = i >= 8 && head.compare(i - 8, 8, "operator") == 0;
      if (!afterOperator) start = i + 1;
    }
  }
  std::string name = head.substr(start);
  while (!name.empty() && (name[0] == '*' || name[0] == '&')) name.erase(0, 1);
  // Helpers in an unnamed namespace read as the functions they are.
  const std::string anonymous = "{anonymous}::";
  for (size_t at = name.find(anonymous); at != std::string::npos; at = name.find(anonymous, at)) {
    name.erase(at, anonymous.size());
  }
  return name;
}

const char* internFunctionName(const char* prettyFunction) {
  // Called once per call site (from a function-local static), so the few strings
  // made here live as long as the process, like the call sites themselves.
  return (new std::string(qualifiedFunctionName(prettyFunction)))->c_str();
}

}  // namespace common
