// Text and pictures as Qt draws them, for the page canvas's on-screen view.
#pragma once

#include "text_style.h"

#include <QFont>
#include <QImage>
#include <QString>

#include <string>

class QPainter;
class QPointF;

// The bytes as characters: the OEM code page for the OEM charset, the ANSI code page otherwise.
QString DecodeText(const std::string& bytes, CharacterSet charset);

QFont MakeFont(const TextStyle& style);

// Draws one run of text (no tabs, no line ends) with its top-left corner at the point; the
// painter's device units must be twips or the painter scaled so that its logical units are.
void DrawTextRun(QPainter& painter, const TextStyle& style, const QPointF& topLeft, const QString& text);

// Checks the arguments of PaintPicture (a null picture, a non-finite value or a negative size
// throws OrvalinError); false when a zero size leaves nothing to draw.
bool PictureArgumentsDrawable(const QImage& picture, double x, double y, double width, double height, double sourceX,
                              double sourceY, double sourceWidth, double sourceHeight);
