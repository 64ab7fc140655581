#include "widgets/CachedFrameStyle.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QPixmapCache>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTabWidget>
#include <QToolBox>
#include <optional>

namespace {
// Built from the raw fields: formatting them as text cost more than copying the panel.
QString CacheKey(const QStyleOption& option, qreal ratio, const std::optional<QColor>& backdrop) {
    const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(&option);
    const qint64 fields[] = {option.rect.width(),
                             option.rect.height(),
                             qRound64(ratio * 1000),
                             static_cast<qint64>(option.state),
                             option.palette.cacheKey(),
                             static_cast<qint64>(option.direction),
                             frame ? frame->lineWidth : -1,
                             frame ? static_cast<qint64>(frame->features) : -1,
                             backdrop ? static_cast<qint64>(backdrop->rgba()) : -1};
    return QStringLiteral("zn-box-") +
           QString(reinterpret_cast<const QChar*>(fields),
                   qsizetype(sizeof(fields)) / qsizetype(sizeof(QChar)));
}

std::optional<QColor> SolidColour(const QBrush& brush) {
    if (brush.style() != Qt::SolidPattern || brush.color().alpha() != 255) return std::nullopt;
    return brush.color();
}

// The colour Qt paints behind `box`, when it is one plain colour: the first ancestor that fills
// its background, else the window's own. Containers that paint a pane of their own (tab pages,
// scroll areas) and style sheets could put something else there, so they give no answer.
std::optional<QColor> Backdrop(const QWidget* box) {
    if (!qApp->styleSheet().isEmpty() || box->isWindow()) return std::nullopt;
    for (const QWidget* under = box->parentWidget(); under; under = under->parentWidget()) {
        if (!under->styleSheet().isEmpty() || under->inherits("QAbstractScrollArea") ||
            under->inherits("QTabWidget") || under->inherits("QToolBox"))
            return std::nullopt;
        if (under->autoFillBackground() || under->isWindow()) {
            if (under->testAttribute(Qt::WA_TranslucentBackground) ||
                under->testAttribute(Qt::WA_NoSystemBackground))
                return std::nullopt;
            return SolidColour(under->palette().brush(under->backgroundRole()));
        }
    }
    return std::nullopt;
}

CachedFrameStyle* SharedStyle();

// Keeps a box's opaque flag true to where it stands now: after it is polished, moved to another
// parent or given another palette, and when it is shown (its ancestors' palettes may have changed).
class BackdropWatch : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::Polish:
            case QEvent::ParentChange:
            case QEvent::PaletteChange:
            case QEvent::StyleChange:
            case QEvent::Show: {
                auto* box = static_cast<QWidget*>(watched);
                box->setAttribute(Qt::WA_OpaquePaintEvent,
                                  box->style() == SharedStyle() && Backdrop(box).has_value());
                break;
            }
            default:
                break;
        }
        return false;
    }
};
}  // namespace

// A fresh instance of the application's style, so the proxy draws exactly what the style would.
CachedFrameStyle::CachedFrameStyle() : QProxyStyle(QStyleFactory::create(qApp->style()->name())) {}

void CachedFrameStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                     QPainter* painter, const QWidget* widget) const {
    if (element != PE_PanelLineEdit || option->rect.isEmpty()) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    std::optional<QColor> backdrop;
    if (widget && widget->testAttribute(Qt::WA_OpaquePaintEvent)) {
        backdrop = Backdrop(widget);
        // An opaque box paints every pixel: what the panel leaves uncovered shows the backdrop.
        if (backdrop && option->rect != widget->rect()) {
            painter->fillRect(widget->rect(), *backdrop);
        }
    }
    const qreal ratio = painter->device() ? painter->device()->devicePixelRatio() : 1.0;
    const QString key = CacheKey(*option, ratio, backdrop);
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
        if (backdrop) {
            // Laid over the backdrop exactly as the screen would have blended it.
            QPixmap opaque(panel.size());
            opaque.setDevicePixelRatio(ratio);
            opaque.fill(*backdrop);
            QPainter onOpaque(&opaque);
            onOpaque.drawPixmap(0, 0, panel);
            onOpaque.end();
            panel = opaque;
        }
        QPixmapCache::insert(key, panel);
    }
    painter->drawPixmap(option->rect.topLeft(), panel);
}

namespace {
CachedFrameStyle* SharedStyle() {
    // Lives as long as the application: every box shares it, and a style must outlive its users.
    static auto* style = [] {
        auto* shared = new CachedFrameStyle;
        shared->setParent(qApp);
        return shared;
    }();
    return style;
}
}  // namespace

void UseCachedFrame(QWidget* box) {
    static auto* watch = new BackdropWatch(qApp);
    box->setStyle(SharedStyle());
    box->installEventFilter(watch);
}
