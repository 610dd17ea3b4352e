#pragma once
// Qt accessibility (reaching AT-SPI on Linux) for the skinned windows: a top-level
// window is a frame named by its title, and a sprite board lists its sprites, as the
// program describes them (ui/board_items.h), as children a screen reader can read and
// press. Pressing one does what a left click on it does.

// Installs the factory once; the boards' peers call it when they are made.
void InstallBoardAccessibility();

class BoardWidget;
// The board's sprites changed: once the event loop is back, a screen reader that is
// listening hears which came, went or were renamed.
void BoardChanged(BoardWidget* board);
