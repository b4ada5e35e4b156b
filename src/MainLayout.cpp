// The main window's layout rules.
#include "src/MainLayout.h"

namespace twinleaf {

TabLayout tabLayout(int width, int height) {
    TabLayout layout{};
    layout.panelLeft = 15;
    layout.panelWidth = width - 30;
    layout.topHeight = 44;
    layout.middleTop = 46;
    layout.middleHeight = height - 125;
    layout.bottomTop = height - 71;
    layout.bottomHeight = 56;
    const int half = (width - 3) / 2;
    layout.palmWidth = half - 15;
    layout.outlookLeft = half + 3;
    layout.outlookWidth = width - layout.outlookLeft - 15;
    layout.outlookLabelLeft = layout.panelWidth / 2 + 5;
    layout.outlookAllLeft = layout.outlookLabelLeft + 75;
    layout.outlookDiffLeft = layout.outlookAllLeft + 90;
    layout.outlookClearLeft = layout.outlookDiffLeft + 90;
    return layout;
}

int bannerButtonStep(int bannerWidth) {
    const int step = bannerWidth - 420;
    return step < 404 ? step / 4 : 100;
}

} // namespace twinleaf
