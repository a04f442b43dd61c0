#pragma once
// Builds a control tree from a layout of the skin.
//
// The layout dialect (XML, UTF-8):
//   <Window size="640,400" caption="0,0,0,40" roundcorner="6,6" bkcolor="#FFFFFFFF">
//     <Font id="0" name="Roboto" size="14" bold="true" underline="false" italic="false"/>
//     <Font name="Roboto" size="12" default="true"/>
//     <VerticalLayout inset="10,10,10,10" childpadding="4">   (the one root control)
//       <Label name="title" text="@titlename" align="center" valign="vcenter" font="1"/>
//       <Button name="closebtn" width="20" height="20" normalimage="file='close.png' source='0,0,20,20'"/>
//       <Combo name="lang"><Item text="English" userdata="en"/></Combo>
//       ...
//     </VerticalLayout>
//   </Window>
// Window attributes: size "cx,cy"; caption "left,top,right,bottom" is the drag area, whose
// left and right count from the window's left and right edges and whose top and bottom are
// rows from the top; roundcorner "cx,cy" rounds the window's region; bkcolor fills it.
// Control tags: Control, Container, VerticalLayout, HorizontalLayout, TabLayout, Label,
// Button, Option, Edit, Combo (children Item text= userdata=), Progress, RichEdit. Any
// other tag goes to the window's IDialogBuilderCallback. Every attribute of an element is
// applied through setAttribute, in document order; unknown names and bad values are
// ignored, so a layout never fails for one attribute.
#include <windows.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "toolkit/control.h"
#include "toolkit/paint/font_table.h"

namespace toolkit {

class IDialogBuilderCallback;

struct WindowAttributes {
  SIZE size{};
  bool hasSize = false;
  RECT caption{};
  SIZE roundCorner{};
  uint32_t bkColor = 0;
  bool hasDefaultFont = false;
  FontSpec defaultFont;
  std::vector<std::pair<int, FontSpec>> fonts;
};

// The control for a tag of the dialect; null for a tag it does not know.
std::unique_ptr<CControlUI> createStandardControl(const std::wstring& tag);

// Builds from layout bytes. Null when the text is not XML, has no control or nests deeper
// than kMaxNestingDepth (container.h); window may be null when the caller does not want
// the window attributes.
std::unique_ptr<CControlUI> buildLayout(const std::string& xml, IDialogBuilderCallback* callback,
                                        WindowAttributes* window);
// Reads the layout through getSkinFile first; null when the file is missing.
std::unique_ptr<CControlUI> buildLayoutFile(const std::wstring& file, IDialogBuilderCallback* callback,
                                            WindowAttributes* window);

}  // namespace toolkit
