// A build made without Qt Charts (where its source could not be had) keeps the readings and
// their recording; the Trend button says plainly why no chart opens.
#include <QMessageBox>

#include "core/record/TrendTexts.h"
#include "trend/TrendFeed.h"

void TrendFeed::ShowTrend() {
    const bool english = TrendTexts::English();
    QMessageBox::information(window_, TrendTexts::UiText(TrendTexts::Trend, english),
                             TrendTexts::UiText(TrendTexts::NoChart, english));
}

TrendWindow* TrendFeed::ExistingChart() const {
    return nullptr;
}

void TrendFeed::HideChart() {}

void TrendFeed::RetranslateChart() {}
