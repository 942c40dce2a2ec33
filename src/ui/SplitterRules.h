#pragma once
// The arithmetic of ViewSplitter, shared by every window layer.

constexpr int kSplitterBarHeight = 7;

struct SplitterHeights {
    int upper = 0;
    int lower = 0;
};

// Heights of the two parts for a splitter of the given height when the lower part wants
// wantedLower pixels: the lower minimum applies first, then the upper minimum wins.
SplitterHeights ApplySplitterMinimums(int splitterHeight, int wantedLower, int minUpper,
                                      int minLower);

// The upper height wanted while dragging the bar: mouse y less the grab offset, kept inside
// 0 .. splitter height - bar.
int DraggedUpperHeight(int mouseY, int grabOffset, int splitterHeight);
