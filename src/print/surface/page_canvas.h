// The page canvas of the logo page: keeps everything drawn on it as a list of drawing operations
// (text runs with their font, pictures), so that it can be laid over a printer page without losing
// vector quality. It lives on the hidden window "Picnyomkep", whose picture area "PIcNyom" shows it.
#pragma once

#include "print/printer.h"
#include "surface_state.h"

#include <QImage>
#include <QPointer>
#include <QRectF>
#include <QString>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

class PageCanvas final : public SurfaceState<Canvas> {
public:
    PageCanvas();
    ~PageCanvas() override;

    double Width() const override { return width_; }
    double Height() const override { return height_; }
    void SetSize(double width, double height) override;
    void Cls() override;
    void DrawOnto(Printer& printer) override;
    void Show() override;

    void NewPage() override;
    void PaintPicture(const QImage& picture, double x, double y, double width, double height, double sourceX,
                      double sourceY, double sourceWidth, double sourceHeight) override;

    // One drawing operation kept on the canvas.
    struct Item {
        bool isText = false;
        TextStyle style;
        QPointF position; // text: top-left corner
        std::string bytes;
        QString text;
        double textWidth = 0;
        QImage picture;
        QRectF target; // picture: destination, already cut to the canvas
        QRectF source; // picture: source in the picture's twips
    };
    const std::vector<Item>& Items() const { return items_; }
    // The drawing at 15 twips a pixel, as the window shows it.
    QImage Image() const;
    QWidget* Window() const { return window_; }

protected:
    void DrawRun(double x, double y, std::string_view bytes) override;

private:
    void Changed();

    double width_ = 0;
    double height_ = 0;
    std::vector<Item> items_;
    QPointer<QWidget> window_;
    bool refreshPending_ = false;
};
