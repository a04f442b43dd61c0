#pragma once
// The buttons of the generic box. Each keeps its request (text, action, highlighted flag)
// and answers the interface query "Selection" (controlAs<CSelectionUI>) with itself; to
// screen readers it stays a button.
#include <functional>
#include <string>

#include "toolkit/button.h"
#include "ui/message_box.h"

namespace msg {

class CSelectionUI : public toolkit::CButtonUI {
 public:
  using ClassType = CSelectionUI;
  static constexpr wchar_t kClassName[] = L"Selection";

  explicit CSelectionUI(const ButtonSpec& request);
  void* getInterface(const std::wstring& name) override;

  const std::function<void()>& action() const { return action_; }
  bool highlighted() const { return highlighted_; }

  // Text colours of the two looks, readable on their images.
  static constexpr uint32_t kHighlightedText = 0xFF000000;
  static constexpr uint32_t kPlainText = 0xFF17171A;

 protected:
  // The common attributes, then the images and the text colour of the look.
  void applyLook(const wchar_t* const images[3], uint32_t textColor);
  CSelectionUI(const ButtonSpec& request, bool remote);

 private:
  std::function<void()> action_;
  bool highlighted_;
};

class CSelectionUIRemote : public CSelectionUI {
 public:
  explicit CSelectionUIRemote(const ButtonSpec& request);

  static constexpr uint32_t kHighlightedText = 0xFFFFFFFF;
  static constexpr uint32_t kPlainText = 0xFF17171A;
};

}  // namespace msg
