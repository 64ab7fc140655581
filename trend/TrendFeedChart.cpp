// The feed's chart window, in a build with Qt Charts.
#include "trend/TrendFeed.h"
#include "trend/TrendWindow.h"

TrendWindow* TrendFeed::Chart() {
    if (!chart_) chart_ = new TrendWindow(this, window_);
    return chart_;
}

void TrendFeed::ShowTrend() {
    TrendWindow* chart = Chart();
    chart->show();
    chart->raise();
    chart->activateWindow();
}

TrendWindow* TrendFeed::ExistingChart() const {
    return chart_;
}

void TrendFeed::HideChart() {
    if (chart_) chart_->hide();
}

void TrendFeed::RetranslateChart() {
    if (chart_) chart_->Retranslate();
}
