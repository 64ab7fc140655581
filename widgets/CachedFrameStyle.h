#pragma once
// The application's style, but the panel and frame of a line edit are drawn once per size, state
// and palette and then copied. The style strokes an antialiased outline and shadow line on every
// paint, which was most of a poll cycle's cost: the status and frame boxes change twice a cycle.
//
// Where the box stands on a plain, solid background, the copy is also made opaque: the panel is
// kept laid over that background, and the box says it paints every pixel itself, so Qt no longer
// repaints the window and panel behind it at each changed text.
#include <QProxyStyle>

class CachedFrameStyle : public QProxyStyle {
  public:
    CachedFrameStyle();
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
};

// Makes `box` draw its frame from the cache; one style serves every box.
void UseCachedFrame(QWidget* box);
