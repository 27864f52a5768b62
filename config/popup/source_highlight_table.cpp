#include "popup/source_highlight_table.h"

const int SourceHighlightTable[kSourceHighlightRows][kSourceHighlightItems] = {
    {0, 0, 2, 4, 5, 6, 7, 8},
    {1, 1, 3, 4, 5, 6, 7, 8},
    {8, 2, 3, 4, 5, 6, 7, 9},
    {9, 9, 9, 9, 9, 9, 9, 9},
};

int SourceHighlightFrame(int row, int item)
{
    if (row < 0 || row >= kSourceHighlightRows || item < 0 || item >= kSourceHighlightItems)
        return kSourceHighlightOff;
    return SourceHighlightTable[row][item];
}
