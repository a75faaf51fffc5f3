// The condition dialog's design geometry in twips: where each control and the first element of
// each control array stand, and the steps by which the arrays grow.
#pragma once

#include <QRect>
#include <array>

namespace varo::dialogs::conditionlayout
{

// The client area holds the tab control with the two buttons below it.
constexpr int kClientWidth = 6480;
constexpr int kClientHeight = 5940;

constexpr QRect mstFilter{90, 90, 6300, 5325};
constexpr QRect cmdOK{4050, 5520, 1080, 315};
constexpr QRect cmdCacel{5280, 5520, 1080, 315};

// On the tab control's page.
constexpr QRect fradate{120, 480, 6045, 1140};
constexpr QRect fraItem{120, 1830, 6045, 930};
constexpr QRect fracmb{240, 3240, 5600, 960};

// In the date frame.
constexpr QRect lblDateFrom{120, 285, 1050, 180};
constexpr QRect DtpBDate{1170, 240, 1710, 300};
constexpr QRect lblDateTo{2985, 285, 990, 180};
constexpr QRect DtpEDate{4065, 240, 1710, 300};

// In the text frame.
constexpr QRect lblcap{120, 300, 1050, 180};
constexpr QRect txtItemf{1200, 255, 1365, 270};
constexpr QRect cmdItemf{2565, 255, 315, 285};
constexpr QRect lblcapt{3015, 300, 990, 180};
constexpr QRect txtItemt{4065, 255, 1365, 270};
constexpr QRect cmdItemt{5430, 255, 315, 285};

// In the choice frame: four fixed elements each.
constexpr std::array<QRect, 4> lblcmb{QRect{120, 240, 975, 255}, QRect{2835, 225, 975, 255},
                                      QRect{120, 630, 975, 255}, QRect{2835, 600, 975, 255}};
constexpr std::array<QRect, 4> cmb{QRect{1200, 195, 1575, 300}, QRect{3915, 180, 1575, 300},
                                   QRect{1200, 585, 1575, 300}, QRect{3915, 585, 1575, 300}};

// A grown element stands this far below the one before it.
constexpr int kRowStep = 300;
// Space below a frame's last row, between the date and text frames, and above the choices.
constexpr int kFrameBottomMargin = 200;
constexpr int kFrameGap = 150;
constexpr int kChoiceGap = 600;

} // namespace varo::dialogs::conditionlayout
