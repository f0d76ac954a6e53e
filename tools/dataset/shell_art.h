// Painters of the game shell's pictures: the logo, title, menus, option pages, save slots,
// result and pause sheets, digits, item and interface sheets. Each draws the cells the
// screens cut out, at the places the asset list gives.
#pragma once
#include "tools/dataset/canvas.h"

namespace dataset {

void PaintLogoAndEffects(Canvas& c);  // gsx/ef_01.png
void PaintTitle(Canvas& c);           // gsx/title/title_1.png
void PaintGoggles(Canvas& c);         // gsx/big_nvg.png
void PaintGogglesGlow(Canvas& c);     // gsx/big_nvg_l.png
void PaintTitleLines(Canvas& c);      // gsx/title_line.png
void PaintMenuSkin(Canvas& c);        // gsx/briefing11.png
void PaintScreenBack(Canvas& c);      // gsx/briefing_back.png
void PaintMenuBack(Canvas& c);        // gsx/menu_back.png
void PaintLoading(Canvas& c);         // gsx/load.png
void PaintOptionBack(Canvas& c);      // patch/option.png
void PaintOptionPieces(Canvas& c);    // patch/option02.png
void PaintKeyConfig(Canvas& c);       // patch/option03.png
void PaintMusicNames(Canvas& c);      // patch/option04.png
void PaintInterface(Canvas& c);       // patch/ui_01.png
void PaintItems(Canvas& c);           // patch/item.png
void PaintPauseSheet(Canvas& c);      // patch/pause_w.png
void PaintResultSheet(Canvas& c);     // patch/result.png
void PaintVrInterface(Canvas& c);     // patch/vr_ui.png
void PaintDigits(Canvas& c);          // gsx/num.png
void PaintSaveSheet(Canvas& c);       // patch/start_menu.png
void PaintMissionSelect(Canvas& c);   // patch/suvel_select.png
void PaintBriefingStrings(Canvas& c); // patch/briefing_str.png
void PaintEndInfo(Canvas& c);         // gsx/end_info.png
void PaintMakingPanels(Canvas& c);    // gsx/briefing03.png
void PaintEquipmentPanels(Canvas& c); // gsx/briefing04.png
void PaintStagePanel(Canvas& c);      // gsx/st_panel.png
void PaintMapCursor(Canvas& c);       // gsx/cursor.png
void PaintBriefingLines(Canvas& c);   // gsx/briefing_line.png
void PaintStoryBanners(Canvas& c);    // evx/wind.png
void PaintVersionMark(Canvas& c);     // patch/patch206.bmp

// The names the screens show for weapons 0..12 and gadgets 0..9.
extern const char* const kWeaponNames[13];
extern const char* const kGadgetNames[10];

}  // namespace dataset
