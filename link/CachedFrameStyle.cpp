#include "link/CachedFrameStyle.h"

#include <QApplication>
#include <QPainter>
#include <QPixmapCache>
#include <QStyleFactory>
#include <QStyleOption>

namespace {
QString CacheKey(const QStyleOption& option, qreal ratio) {
    const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(&option);
    return QStringLiteral("zn-box-%1x%2-%3-%4-%5-%6-%7-%8")
        .arg(option.rect.width())
        .arg(option.rect.height())
        .arg(ratio)
        .arg(static_cast<int>(option.state))
        .arg(option.palette.cacheKey())
        .arg(static_cast<int>(option.direction))
        .arg(frame ? frame->lineWidth : -1)
        .arg(frame ? static_cast<int>(frame->features) : -1);
}
}  // namespace

// A fresh instance of the application's style, so the proxy draws exactly what the style would.
CachedFrameStyle::CachedFrameStyle() : QProxyStyle(QStyleFactory::create(qApp->style()->name())) {}

void CachedFrameStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                     QPainter* painter, const QWidget* widget) const {
    if (element != PE_PanelLineEdit || option->rect.isEmpty()) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    const qreal ratio = painter->device() ? painter->device()->devicePixelRatio() : 1.0;
    const QString key = CacheKey(*option, ratio);
    QPixmap panel;
    if (!QPixmapCache::find(key, &panel)) {
        panel = QPixmap(option->rect.size() * ratio);
        panel.setDevicePixelRatio(ratio);
        panel.fill(Qt::transparent);
        QPainter onPanel(&panel);
        // Copied as its own type: QStyleOption has no virtual destructor.
        const auto drawAtOrigin = [&](auto moved) {
            moved.rect.moveTopLeft({0, 0});
            QProxyStyle::drawPrimitive(element, &moved, &onPanel, widget);
        };
        if (const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option))
            drawAtOrigin(QStyleOptionFrame(*frame));
        else
            drawAtOrigin(QStyleOption(*option));
        onPanel.end();
        QPixmapCache::insert(key, panel);
    }
    painter->drawPixmap(option->rect.topLeft(), panel);
}

void UseCachedFrame(QWidget* box) {
    // Lives as long as the application: every box shares it, and a style must outlive its users.
    static auto* style = [] {
        auto* shared = new CachedFrameStyle;
        shared->setParent(qApp);
        return shared;
    }();
    box->setStyle(style);
}
