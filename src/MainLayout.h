// The main window's layout rules, as plain numbers so the window and its tests share them.
// They keep the two list views of a tab side by side and the banner's buttons near its right edge.
#pragma once

namespace twinleaf {

struct TabLayout {
    int panelLeft;  // the three panels start here
    int panelWidth; // all three panels
    int topHeight;  // top panel, from 0
    int middleTop;
    int middleHeight;
    int bottomTop;
    int bottomHeight;
    int palmWidth;   // Palm list view, at the middle panel's left edge
    int outlookLeft; // Outlook list view, in the tab's coordinates
    int outlookWidth;
    int outlookLabelLeft; // "Outlook Data:", in the bottom panel's coordinates
    int outlookAllLeft;
    int outlookDiffLeft;
    int outlookClearLeft;
};

// W and H: the tab page's inner width and height.
TabLayout tabLayout(int width, int height);

// Distance a of the banner's buttons: Exit at w - a, Help at w - 2a.
int bannerButtonStep(int bannerWidth);

// The Palm side's buttons in the bottom panel.
inline constexpr int kPalmAllLeft = 114;
inline constexpr int kPalmDiffLeft = 198;
inline constexpr int kPalmClearLeft = 284;
inline constexpr int kBannerHeight = 80;
inline constexpr int kUserSelectorWidth = 112;
inline constexpr int kMinimumWidth = 800;
inline constexpr int kMinimumHeight = 600;

} // namespace twinleaf
