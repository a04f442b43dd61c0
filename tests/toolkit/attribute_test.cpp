// Attributes applied by name, as the layouts and the message box set them at run time.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "skin/language_table.h"
#include "toolkit/builder.h"
#include "toolkit/combo.h"
#include "toolkit/edit.h"
#include "toolkit/label.h"
#include "toolkit/option.h"
#include "toolkit/progress.h"
#include "toolkit/tab_layout.h"

namespace {

using toolkit::CControlUI;
using toolkit::controlAs;

struct AttributeCase {
  const wchar_t* tag;
  const wchar_t* name;
  const wchar_t* value;
  bool accepted;
  std::function<bool(CControlUI*)> holds;
};

TEST(AttributeTest, KnownNamesApplyAndBadValuesChangeNothing) {
  using toolkit::CLabelUI;
  const std::vector<AttributeCase> cases = {
      {L"Label", L"width", L"340", true, [](CControlUI* c) { return c->fixedWidth() == 340; }},
      {L"Label", L"width", L"wide", false, [](CControlUI* c) { return c->fixedWidth() == 0; }},
      {L"Label", L"width", L"-4", false, [](CControlUI* c) { return c->fixedWidth() == 0; }},
      {L"Label", L"height", L"30", true, [](CControlUI* c) { return c->fixedHeight() == 30; }},
      {L"Label", L"align", L"center", true,
       [](CControlUI* c) { return controlAs<CLabelUI>(c)->align() == CLabelUI::Align::kCenter; }},
      {L"Label", L"align", L"middle", false,
       [](CControlUI* c) { return controlAs<CLabelUI>(c)->align() == CLabelUI::Align::kLeft; }},
      {L"Label", L"valign", L"vcenter", true,
       [](CControlUI* c) { return controlAs<CLabelUI>(c)->valign() == CLabelUI::VAlign::kCenter; }},
      {L"Label", L"valign", L"bottom", true,
       [](CControlUI* c) { return controlAs<CLabelUI>(c)->valign() == CLabelUI::VAlign::kBottom; }},
      {L"Label", L"multiline", L"true", true, [](CControlUI* c) { return controlAs<CLabelUI>(c)->multiLine(); }},
      {L"Label", L"multiline", L"yes", false, [](CControlUI* c) { return !controlAs<CLabelUI>(c)->multiLine(); }},
      {L"Label", L"textcolor", L"#FF17171A", true, [](CControlUI* c) { return c->textColor() == 0xFF17171Au; }},
      {L"Label", L"textcolor", L"red", false, [](CControlUI* c) { return c->textColor() == 0xFF000000u; }},
      {L"Label", L"visible", L"false", true, [](CControlUI* c) { return !c->isVisible(); }},
      {L"Label", L"enabled", L"0", true, [](CControlUI* c) { return !c->isEnabled(); }},
      {L"Label", L"font", L"3", true, [](CControlUI* c) { return c->font() == 3; }},
      {L"Label", L"padding", L"10,0,10,0", true, [](CControlUI* c) { return c->padding().left == 10; }},
      {L"Label", L"padding", L"10,0", false, [](CControlUI* c) { return c->padding().left == 0; }},
      {L"Label", L"textpadding", L"20,0,20,0", true,
       [](CControlUI* c) { return controlAs<CLabelUI>(c)->textPadding().right == 20; }},
      {L"Label", L"bkimage", L"common/msg_noice48.png", true,
       [](CControlUI* c) { return c->bkImage() == L"common/msg_noice48.png"; }},
      {L"Label", L"userdata", L"en", true, [](CControlUI* c) { return c->userData() == L"en"; }},
      {L"Label", L"nosuchattribute", L"1", false, [](CControlUI* c) { return c->text().empty(); }},
      {L"Option", L"selected", L"true", true, [](CControlUI* c) { return controlAs<toolkit::COptionUI>(c)->isSelected(); }},
      {L"Option", L"group", L"lang", true, [](CControlUI* c) { return controlAs<toolkit::COptionUI>(c)->group() == L"lang"; }},
      {L"Progress", L"value", L"37", true, [](CControlUI* c) { return controlAs<toolkit::CProgressUI>(c)->getValue() == 37; }},
      {L"Progress", L"value", L"250", true, [](CControlUI* c) { return controlAs<toolkit::CProgressUI>(c)->getValue() == 100; }},
      {L"Progress", L"value", L"-5", true, [](CControlUI* c) { return controlAs<toolkit::CProgressUI>(c)->getValue() == 0; }},
      {L"Progress", L"max", L"0", false, [](CControlUI* c) { return controlAs<toolkit::CProgressUI>(c)->getMaxValue() == 100; }},
      {L"Edit", L"focusedimage", L"file='e.png' source='56,0,84,28'", true,
       [](CControlUI* c) { return controlAs<toolkit::CEditUI>(c)->focusedImage() == L"file='e.png' source='56,0,84,28'"; }},
      {L"Edit", L"maxchar", L"0", false, [](CControlUI*) { return true; }},
      {L"Combo", L"itemheight", L"30", true, [](CControlUI* c) { return controlAs<toolkit::CComboUI>(c)->itemHeight() == 30; }},
      {L"TabLayout", L"selectedid", L"x", false, [](CControlUI* c) { return controlAs<toolkit::CTabLayoutUI>(c)->getCurSel() == 0; }},
  };
  for (const AttributeCase& c : cases) {
    SCOPED_TRACE(std::wstring(c.tag) + L" " + c.name + L"=" + c.value);
    std::unique_ptr<CControlUI> control = toolkit::createStandardControl(c.tag);
    ASSERT_NE(nullptr, control);
    EXPECT_EQ(c.accepted, control->setAttribute(c.name, c.value));
    EXPECT_TRUE(c.holds(control.get()));
  }
}

TEST(AttributeTest, AtTextsResolveAtEveryDrawingAndKeepTheirStoredForm) {
  setCurrentLanguage(L"en_US", L"en_US");
  loadLanguageTable("Code\tlanguage_code\ten_US\r\nLanguage\tlanguage_name\tEnglish\r\nLabel\tsure\tSure\r\n");
  std::unique_ptr<CControlUI> label = toolkit::createStandardControl(L"Label");
  label->setText(L"@sure");
  EXPECT_EQ(L"Sure", label->displayText());
  EXPECT_EQ(L"@sure", label->text());
  for (const wchar_t* kept : {L"@missing_key", L"@", L"sure"}) {
    label->setText(kept);
    EXPECT_EQ(kept, label->displayText());
  }
  // A later table shows at the next drawing, without setting the text again.
  label->setText(L"@sure");
  loadLanguageTable("Code\tlanguage_code\ten_US\r\nLanguage\tlanguage_name\tEnglish\r\nLabel\tsure\tOK\r\n");
  EXPECT_EQ(L"OK", label->displayText());
}

TEST(AttributeTest, InterfacesAnswerTheClassAndItsBases) {
  struct Case {
    const wchar_t* tag;
    std::vector<const wchar_t*> answers;
    std::vector<const wchar_t*> refuses;
  };
  const std::vector<Case> cases = {
      {L"Option", {L"Option", L"Button", L"Label", L"Control"}, {L"Edit", L"Container", L"Selection"}},
      {L"Combo", {L"Combo", L"Button", L"Control"}, {L"Option"}},
      {L"TabLayout", {L"TabLayout", L"Container", L"Control"}, {L"VerticalLayout", L"Label"}},
      {L"RichEdit", {L"RichEdit", L"Label"}, {L"Edit", L"Button"}},
  };
  for (const Case& c : cases) {
    std::unique_ptr<CControlUI> control = toolkit::createStandardControl(c.tag);
    for (const wchar_t* name : c.answers) EXPECT_EQ(control.get(), control->getInterface(name)) << c.tag << " " << name;
    for (const wchar_t* name : c.refuses) EXPECT_EQ(nullptr, control->getInterface(name)) << c.tag << " " << name;
  }
}

TEST(AttributeTest, ContainersInsertAtAnIndexAndCountTheirChildren) {
  // The message box puts each new button before the last spacer of its bottom bar.
  std::unique_ptr<CControlUI> bar = toolkit::createStandardControl(L"HorizontalLayout");
  auto* container = controlAs<toolkit::CContainerUI>(bar.get());
  container->add(toolkit::createStandardControl(L"Control"))->setName(L"left");
  container->add(toolkit::createStandardControl(L"Control"))->setName(L"right");
  for (const wchar_t* name : {L"first", L"second"}) {
    container->addAt(toolkit::createStandardControl(L"Button"), container->getCount() - 1)->setName(name);
  }
  ASSERT_EQ(4, container->getCount());
  const wchar_t* order[] = {L"left", L"first", L"second", L"right"};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(order[i], container->getItemAt(i)->name());
  EXPECT_EQ(nullptr, container->addAt(nullptr, 0));
  EXPECT_NE(nullptr, container->addAt(toolkit::createStandardControl(L"Label"), 99));
  EXPECT_EQ(4, container->getItemIndex(container->getItemAt(4)));
  EXPECT_TRUE(container->remove(container->getItemAt(1)));
  EXPECT_EQ(L"second", container->getItemAt(1)->name());
  EXPECT_EQ(nullptr, container->getItemAt(-1));
}

}  // namespace
