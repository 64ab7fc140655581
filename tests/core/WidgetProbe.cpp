// Must not compile against the core's include paths: base/ and link/ see nothing that draws.
#include <QWidget>

QWidget* MadeInTheCore() {
    return new QWidget;
}
