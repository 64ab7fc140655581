// A box whose frame comes from the cache must look exactly as the style draws it, in each state
// a box can be in, the first time (drawn into the cache) and every time after (copied from it).
#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>
#include <QScrollArea>
#include <QImage>
#include <QLineEdit>

#include "widgets/CachedFrameStyle.h"
#include "tests/support/EventCounter.h"

namespace {
struct BoxState {
    const char* name;
    QString text;
    bool readOnly;
    bool enabled;
    bool focused;
    QSize size;
};

QImage Look(QLineEdit& box) {
    return box.grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

void Arrange(QLineEdit& box, const BoxState& state) {
    box.setText(state.text);
    box.setReadOnly(state.readOnly);
    box.setEnabled(state.enabled);
    box.resize(state.size);
    box.show();
    if (state.focused) {
        box.activateWindow();
        box.setFocus();
    }
}
}  // namespace

TEST(CachedFrameStyle, BoxesLookAsTheStyleDrawsThemInEveryState) {
    const BoxState states[] = {
        {"empty", "", true, true, false, {360, 24}},
        {"frame", "01 03 00 00 00 04 44 09", true, true, false, {360, 24}},
        {"status", QStringLiteral("通讯数据正常！"), true, true, false, {420, 30}},
        {"typed", "01 06 00 64 00 02", false, true, true, {360, 24}},
        {"disabled", "01 03", true, false, false, {360, 24}},
    };
    for (const BoxState& state : states) {
        SCOPED_TRACE(state.name);
        QLineEdit plain;
        Arrange(plain, state);
        QLineEdit cached;
        UseCachedFrame(&cached);
        Arrange(cached, state);
        ASSERT_NE(cached.style(), plain.style());
        const QImage expected = Look(plain);
        EXPECT_EQ(Look(cached), expected) << "drawn into the cache";
        EXPECT_EQ(Look(cached), expected) << "copied from the cache";
        // A different size or state is not served the picture of another.
        cached.resize(state.size + QSize(40, 0));
        plain.resize(state.size + QSize(40, 0));
        EXPECT_EQ(Look(cached), Look(plain)) << "resized";
    }
}

// Where the box stands decides whether it can paint its backdrop itself: on a plain window or a
// filled panel it does, and a changed text repaints the box alone; in a scroll area or under a
// style sheet it does not. Either way the window looks exactly as with an ordinary box.
TEST(CachedFrameStyle, BoxesOnPlainBackgroundsRepaintAloneAndLookTheSame) {
    const struct {
        const char* name;
        QColor window;
        QColor panel;  // invalid: the panel does not fill its background
        bool scrolled;
        QString sheet;
        bool opaque;
    } stands[] = {
        {"plain window", QColor(), QColor(), false, {}, true},
        {"coloured window", QColor(200, 220, 90), QColor(), false, {}, true},
        {"filled panel", QColor(), QColor(30, 60, 200), false, {}, true},
        {"scroll area page", QColor(), QColor(), true, {}, true},
        {"style sheet", QColor(), QColor(), false, "QLabel { color: #223344; }", false},
    };
    for (const auto& stand : stands) {
        SCOPED_TRACE(stand.name);
        QWidget window;
        if (stand.window.isValid()) {
            QPalette palette = window.palette();
            palette.setColor(QPalette::Window, stand.window);
            window.setPalette(palette);
        }
        window.setStyleSheet(stand.sheet);
        QScrollArea* area = stand.scrolled ? new QScrollArea(&window) : nullptr;
        auto* panel = new QWidget(area ? nullptr : &window);
        if (area) {
            area->setWidget(panel);
        }
        if (stand.panel.isValid()) {
            QPalette palette = panel->palette();
            palette.setColor(QPalette::Window, stand.panel);
            panel->setPalette(palette);
            panel->setAutoFillBackground(true);
        }
        panel->setGeometry(0, 0, 420, 60);
        if (area) area->setGeometry(0, 0, 440, 80);
        QLineEdit* boxes[2];
        for (int k = 0; k < 2; ++k) {
            boxes[k] = new QLineEdit(panel);
            boxes[k]->setReadOnly(true);
            boxes[k]->setFocusPolicy(Qt::NoFocus);
            boxes[k]->setGeometry(8, 4 + 28 * k, 400, 24);
        }
        QLineEdit* cached = boxes[0];
        QLineEdit* plain = boxes[1];
        UseCachedFrame(cached);
        window.resize(460, 100);
        window.show();
        QApplication::processEvents();
        EXPECT_EQ(cached->testAttribute(Qt::WA_OpaquePaintEvent), stand.opaque);

        EventCounter behind(QEvent::Paint), box(QEvent::Paint);
        panel->installEventFilter(&behind);
        cached->installEventFilter(&box);
        for (const QString& text : {QStringLiteral("01 03 08 02 E9 03 09 03 24"), QString()}) {
            behind.count = box.count = 0;
            cached->setText(text);
            ASSERT_TRUE(box.WaitForOne());
            EXPECT_EQ(behind.count == 0, stand.opaque);
            plain->setText(text);
            QApplication::processEvents();
            // The two boxes as they are on screen are alike pixel for pixel.
            const QPixmap shot = window.screen()->grabWindow(window.winId());
            const auto onScreen = [&](QLineEdit* one) {
                return shot.copy(QRect(one->mapTo(&window, QPoint()), one->size())).toImage();
            };
            EXPECT_EQ(onScreen(cached), onScreen(plain));
        }
    }
}
