// Where the interface pictures sit on the screen, and where the game writes on them: shared by the
// asset generator, which draws the pictures with room for the writing, and the game.
#pragma once

namespace interface_layout {

// The status bar's top-left corner on the screen.
constexpr int barX = 10;
constexpr int barY = 514;

// The run's figures in the bar, in screen pixels: the survival clock and the enemies defeated,
// each after its label, on one row.
constexpr int figuresY = 576;
constexpr int clockX = 582;
constexpr int defeatedX = 714;

// The results card, in its own pixels: the title at the top is part of the picture; below it the
// lines of writing start at this row, this far in from the left, and follow each other this far
// apart.
constexpr int cardTextTop = 56;
constexpr int cardTextLeft = 24;
constexpr int cardLineSpacing = 14;
// Columns of the best runs' lines: the place, the time, the enemies defeated, the mark of this run.
constexpr int cardTimeColumn = 56;
constexpr int cardDefeatedColumn = 150;
constexpr int cardMarkColumn = 210;

} // namespace interface_layout
