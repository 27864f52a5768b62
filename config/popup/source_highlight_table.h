// Which mixer-source frame of the output routing page an output-menu item stands for.
#pragma once

// Frames 0 to 8: FRAME_TC1, FRAME_TC2, FRAME_CH1FD, FRAME_CH2FD, FRAME_CFA, FRAME_CFB,
// FRAME_TMIC, FRAME_AUX, FRAME_MASTER.
constexpr int kSourceFrameCount = 9;
// An item that stands for no source of the page (the recording output, the level menu).
// The table keeps it; whoever draws frames draws nothing for it.
constexpr int kNoSourceFrame = 9;
// The highlight is off.
constexpr int kSourceHighlightOff = -1;

constexpr int kSourceHighlightRows = 4;
constexpr int kSourceHighlightItems = 8;

extern const int SourceHighlightTable[kSourceHighlightRows][kSourceHighlightItems];

// The table's frame for (row, item); kSourceHighlightOff outside the table.
int SourceHighlightFrame(int row, int item);
// A frame number the output routing page can draw (0 to 8).
constexpr bool IsDrawableSourceFrame(int frame) { return frame >= 0 && frame < kSourceFrameCount; }
