#pragma once
// The sample favorites shipped in the favorites table, with how each one's icon looks.
// Texts are UTF-8 here; the table writer turns them into GBK.

#include <cstdint>
#include <string>
#include <vector>

enum class IconShape { kRoundSquare, kCircle, kSquircle, kHexagon, kTile };

struct Site {
  std::string name;      // field 1, also the key
  std::string file;      // icon file name inside 网站图标, with its extension
  std::string address;   // field 3
  std::string account;   // field 4
  std::string password;  // field 5
  int category;          // field 6: 0 学习 .. 6 手机
  int common;            // field 8
  std::string sound;     // click sound file name inside 声音/点击声音
  std::string description;
  // look of the icon
  std::string mark;  // one or two characters on it
  std::uint32_t colour;
  std::uint32_t colour2;
  IconShape shape;
  int size;  // pixels, square
};

const std::vector<Site>& SampleSites();

// The click sounds under 声音/点击声音, in the order the sites use them.
const std::vector<std::string>& ClickSoundNames();

// The eight category names, button 1 first (the common list).
const std::vector<std::string>& CategoryNames();
