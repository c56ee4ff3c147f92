// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The system colours the windows are painted with, mapped onto the nearest
// QPalette role of the running style. Active border has no role; it is the
// standard Windows scheme's value.
#include <QColor>

namespace SystemColors {
QColor BtnFace();      // button face
QColor DkShadow3D();   // 3-D dark shadow
QColor BtnShadow();    // 3-D shadow, the dark half of a sunken edge
QColor BtnHighlight(); // 3-D highlight, the light half of a sunken edge
QColor Window();       // window background
QColor Highlight();    // selection highlight
QColor HotLight();     // hot-tracked item
QColor WindowFrame();  // window frame, black in the standard scheme
QColor ActiveBorder(); // active window border
// Caption colour of every title strip while its window is inactive
// (8559266 as a Windows colour value: red 162, green 154, blue 130).
QColor InactiveCaptionText();
} // namespace SystemColors
