#include "windows/digital/IndicatorGrid.h"

#include <QVBoxLayout>

QGridLayout* IndicatorGrid(const std::vector<QLabel*>& names,
                           const std::vector<IndicatorLabel*>& indicators) {
    constexpr int kPerRow = 4;
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(8);
    for (size_t i = 0; i < indicators.size(); ++i) {
        auto* cell = new QVBoxLayout;
        cell->setSpacing(2);
        names[i]->setAlignment(Qt::AlignCenter);
        cell->addWidget(names[i]);
        cell->addWidget(indicators[i]);
        grid->addLayout(cell, static_cast<int>(i / kPerRow), static_cast<int>(i % kPerRow));
    }
    return grid;
}
