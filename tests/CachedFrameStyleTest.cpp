// A box whose frame comes from the cache must look exactly as the style draws it, in each state
// a box can be in, the first time (drawn into the cache) and every time after (copied from it).
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLineEdit>

#include "link/CachedFrameStyle.h"

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
