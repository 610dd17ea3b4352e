#pragma once
// A tile's icon is the site's button: under the pointer it shows the click-to-open
// picture and the site's description pops up beside the pointer; a press opens the
// address with the desktop's default handler and plays the site's click sound.

#include <vector>

#include "program/program.h"
#include "browser/tip_popup.h"

// Steps of the site board's events; each acts only on the icon sprite of a tile.
void IconHoverStep(Program& program, int sprite);
void IconLeaveStep(Program& program, int sprite);
void OpenSiteOfTile(Program& program, int sprite);

// The tip settings the hover step writes before each description, in writing order.
const std::vector<BalloonSettingWrite>& DescriptionTipSettings();
