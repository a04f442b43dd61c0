#include "ui/selection_ui.h"

namespace msg {

namespace {

const wchar_t* const kHighlightedImages[3] = {
    L"file='common\\btn_bg_default.png' source='0,0,20,28' corner='6,6,6,6'",
    L"file='common\\btn_bg_default.png' source='20,0,40,28' corner='6,6,6,6'",
    L"file='common\\btn_bg_default.png' source='40,0,60,28' corner='6,6,6,6'"};
const wchar_t* const kPlainImages[3] = {L"file='common\\btn_bg.png' source='0,0,20,28' corner='6,6,6,6'",
                                        L"file='common\\btn_bg.png' source='20,0,40,28' corner='6,6,6,6'",
                                        L"file='common\\btn_bg.png' source='40,0,60,28' corner='6,6,6,6'"};
const wchar_t* const kRemoteHighlightedImages[3] = {
    L"file='remote\\btn_32.png' source='16,0,32,32' corner='6,6,6,6'",
    L"file='remote\\btn_32.png' source='32,0,48,32' corner='6,6,6,6'",
    L"file='remote\\btn_32.png' source='48,0,64,32' corner='6,6,6,6'"};
const wchar_t* const kRemotePlainImages[3] = {
    L"file='remote\\btn_cancel.png' source='0,0,20,28' corner='6,6,6,6'",
    L"file='remote\\btn_cancel.png' source='20,0,40,28' corner='6,6,6,6'",
    L"file='remote\\btn_cancel.png' source='40,0,60,28' corner='6,6,6,6'"};

}  // namespace

CSelectionUI::CSelectionUI(const ButtonSpec& request) : CSelectionUI(request, false) {}

CSelectionUI::CSelectionUI(const ButtonSpec& request, bool remote) : action_(request.action), highlighted_(request.highlighted) {
  setText(request.text);
  setAttribute(L"height", L"30");
  setAttribute(L"valign", L"vcenter");
  setAttribute(L"textpadding", L"20,0,20,0");
  setAttribute(L"padding", L"10,0,10,0");
  if (remote) {
    applyLook(highlighted_ ? kRemoteHighlightedImages : kRemotePlainImages,
              highlighted_ ? CSelectionUIRemote::kHighlightedText : CSelectionUIRemote::kPlainText);
  } else {
    applyLook(highlighted_ ? kHighlightedImages : kPlainImages, highlighted_ ? kHighlightedText : kPlainText);
  }
}

void CSelectionUI::applyLook(const wchar_t* const images[3], uint32_t textColor) {
  setNormalImage(images[0]);
  setHotImage(images[1]);
  setPushedImage(images[2]);
  setTextColor(textColor);
}

void* CSelectionUI::getInterface(const std::wstring& name) {
  if (name == kClassName) return this;
  return CButtonUI::getInterface(name);
}

CSelectionUIRemote::CSelectionUIRemote(const ButtonSpec& request) : CSelectionUI(request, true) {}

}  // namespace msg
