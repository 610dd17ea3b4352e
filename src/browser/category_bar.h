#pragma once
// The category bar 动画框_分类: eight picture buttons that light up under the pointer,
// each with a sound of its own, and choose the list the site board shows.

#include "program/program.h"

// Once at start-up, before the page controls: the eight buttons, 10 pixels apart
// whatever the widths of their pictures, from the template's left at y 6.
void BuildCategoryButtons(Program& program);

// Events of 动画框_分类.
void CategoryEntered(Program& program, int sprite, int pressedSprite);
void CategoryLeft(Program& program, int sprite, int pressedSprite);
void CategoryPressed(Program& program, int sprite);

// "\声音\常用.wav" ... "\声音\手机.wav" for buttons 1 to 8.
const Text& CategorySound(int button);
// "\配置图片\分类\菜单<button><picture>.png": picture 1 normal, 2 lit.
Text CategoryPicture(int button, int picture);
