// Must not compile against the core's include paths: base/ and the core's rooms see nothing that
// draws.
#include <QWidget>

QWidget* MadeInTheCore() {
    return new QWidget;
}
