#include "logo_picture.h"

LogoPicture LogoPictureOf(const QImage& image)
{
    if (image.isNull())
        return {};
    return LogoPicture{&image, image.width(), image.height()};
}
