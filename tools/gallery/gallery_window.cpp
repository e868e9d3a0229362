#include "tools/gallery/gallery_window.h"

#include <cairo.h>

#include "base/ui_message_loop.h"
#include "base/text.h"
#include "ui/controls/box.h"
#include "ui/controls/label.h"
#include "ui/controls/list_box.h"
#include "ui/controls/list_container_element.h"
#include "ui/controls/rich_edit.h"
#include "ui/controls/tab_box.h"
#include "ui/markup/layout_builder.h"
#include "ui/render/render_context.h"

namespace gallery {
namespace {

constexpr wchar_t kLayout[] = LR"(<?xml version="1.0" encoding="UTF-8"?>
<Window size="520,620" mininfo="420,480" caption="0,0,0,35" sizebox="6,6,6,6" shadowimage="file='../public/bk/shadow3.png' corner='20,20,20,20'" shadowcorner="20,20,20,20">
  <VBox bkcolor="ui_color_bottom_layer">
    <HBox height="35" bkcolor="bk_wnd_lightcolor">
      <Label name="title" text="控件一览 · FleetSync" width="auto" align="vcenter" margin="8,0,0,0"/>
      <Control/>
      <Button class="btn_wnd_min" name="minbtn"/>
      <Box width="21">
        <Button class="btn_wnd_max" name="maxbtn" fadehot="true"/>
        <Button class="btn_wnd_restore" name="restorebtn" visible="false"/>
      </Box>
      <Button class="btn_wnd_close" name="closebtn" tooltiptext="关闭"/>
    </HBox>
    <VBox padding="16,12,16,12" childmargin="10">
      <Label name="label_chinese" text="批量升级：已连接设备 30，无法连接 4" font="system_14" height="24"/>
      <Label name="label_latin" text="Labels, buttons, a check box, a text field, a list and a tab box" height="20"/>
      <HBox height="auto" childmargin="10">
        <Button class="ui_btn_default" name="btn_default" text="开始升级" fadehot="true" tooltiptext="默认按钮"/>
        <Button class="ui_btn_secondary" name="btn_secondary" text="停止"/>
        <Button class="ui_btn_secondary" name="btn_tab" text="切换页"/>
      </HBox>
      <CheckBox class="checkbox_font12" name="check" text="升级后重启设备"/>
      <RichEdit class="simple input prompt" name="edit" height="30" padding="6,4,6,4" prompttext="请输入设备地址"/>
      <Label name="label_echo" text="" height="20"/>
      <TabBox name="tab">
        <VListBox name="list" vscrollbar="true"/>
        <VBox>
          <Label text="第二页" height="24"/>
        </VBox>
      </TabBox>
    </VBox>
  </VBox>
</Window>)";

struct DeviceSample {
  const wchar_t* address;
  const wchar_t* state;
  const wchar_t* time;
};

constexpr DeviceSample kDevices[GalleryWindow::kDeviceRows] = {
    {L"192.168.1.21:5555", L"连接设备", L""},
    {L"192.168.1.22:5555", L"正在升级 … 12s", L"12s"},
    {L"192.168.1.23:5555", L"升级成功", L"08:15"},
    {L"192.168.1.24:5555", L"无法连接", L""},
};

void SetLabel(ui::Control* root_of_row, const wchar_t* name, const wchar_t* text) {
  auto* box = dynamic_cast<ui::Box*>(root_of_row);
  if (!box) return;
  ui::Control* found = box->FindControl(
      [name](ui::Control* c) { return c->GetName() == name; }, ui::kFindMeFirst, ui::UiPoint{});
  if (auto* label = dynamic_cast<ui::Label*>(found)) label->SetText(text);
}

}  // namespace

std::wstring GalleryWindow::GetSkinFile() { return kLayout; }

void GalleryWindow::InitWindow() {
  if (auto* list = dynamic_cast<ui::ListBox*>(FindControl(L"list"))) {
    for (const DeviceSample& device : kDevices) {
      auto* row = new ui::ListContainerElement;
      if (!ui::LayoutBuilder::FillBox(L"fleet_sync/device_item.xml", row)) {
        delete row;
        break;
      }
      list->Add(row);
      SetLabel(row, L"label_title", device.address);
      SetLabel(row, L"label_state", device.state);
      SetLabel(row, L"label_time", device.time);
    }
  }
  auto* edit = dynamic_cast<ui::RichEdit*>(FindControl(L"edit"));
  auto* echo = dynamic_cast<ui::Label*>(FindControl(L"label_echo"));
  if (edit && echo) {
    edit->AttachTextChange(ToWeakCallback([edit, echo](const ui::EventArgs&) {
      echo->SetText(edit->GetText());
      return true;
    }));
  }
  auto* tab = dynamic_cast<ui::TabBox*>(FindControl(L"tab"));
  if (ui::Control* switcher = FindControl(L"btn_tab"); switcher && tab) {
    switcher->AttachClick(ToWeakCallback([tab](const ui::EventArgs&) {
      tab->SelectItem(tab->GetCurSel() == 0 ? 1 : 0);
      return true;
    }));
  }
}

bool GalleryWindow::OnKeyDown(wchar_t key_code, uint32_t modifiers) {
  (void)modifiers;
  if (key_code != ui::kKeyEscape) return false;
  Close(0);
  return true;
}

void GalleryWindow::OnClose() {
  if (quit_on_close_) vbase::PostQuitMessage();
}

bool GalleryWindow::SaveScreenshot(const std::string& path) {
  const ui::UiSize size = host() ? host()->GetClientSize() : GetInitSize();
  if (size.cx <= 0 || size.cy <= 0) return false;
  ArrangeRoot(size);
  ui::RenderContext context(size.cx, size.cy);
  context.FillRect(ui::UiRect{0, 0, size.cx, size.cy}, 0xFFFFFFFF);
  Paint(context);
  cairo_surface_flush(context.surface());
  return cairo_surface_write_to_png(context.surface(), path.c_str()) == CAIRO_STATUS_SUCCESS;
}

}  // namespace gallery
