// The product picture of the splash and the about box and the banner logo. Both are drawn here
// rather than shipped as image files; a build may replace the product picture with its own file
// (CMake cache variable TWINLEAF_PRODUCT_PICTURE).
#pragma once

#include <QPixmap>
#include <QSize>
#include <QString>

namespace twinleaf {

// 399 x 51: the two leaves and the name with its line.
QPixmap productPicture();
// The banner's logo, drawn for the banner's height.
QPixmap bannerLogo(int height);

// The address the logo, the about box's picture and "Twinleaf &Home Page" open.
QString homePageAddress();

} // namespace twinleaf
