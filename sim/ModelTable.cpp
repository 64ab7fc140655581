#include "sim/ModelTable.h"

#include <algorithm>
#include <cctype>

const std::vector<ModelInfo>& Models() {
    // name, code, measures, channels, outputs, output default, inputs, coils, full scale
    static const std::vector<ModelInfo> models = {
        {"ZN210", 210, Measures::Rtd, 4, 0, 0, 0, 0, 0},
        {"ZN220", 220, Measures::DsSensors, 8, 0, 0, 0, 0, 0},
        {"ZN230", 230, Measures::Nothing, 0, 1, 0, 0, 0, 0},
        {"ZN240", 240, Measures::Nothing, 0, 3, 4000, 0, 0, 0},
        {"ZN250", 250, Measures::Nothing, 0, 3, 0, 0, 0, 0},
        {"ZN260", 260, Measures::Counts, 8, 0, 0, 0, 0, 20.0},
        {"ZN270", 270, Measures::Counts, 8, 0, 0, 0, 0, 10.0},
        {"ZN310", 310, Measures::Nothing, 0, 0, 0, 8, 4, 0},
        {"ZN320", 320, Measures::Nothing, 0, 0, 0, 0, 8, 0},
        {"ZN330", 330, Measures::Nothing, 0, 0, 0, 16, 0, 0},
        {"ZN340", 340, Measures::Nothing, 0, 0, 0, 0, 16, 0},
        {"ZN350", 350, Measures::Nothing, 0, 0, 0, 8, 8, 0},
        {"ZN410", 410, Measures::Counts, 6, 0, 0, 4, 4, 20.0},
        {"ZN420", 420, Measures::Counts, 6, 0, 0, 4, 4, 10.0},
        {"ZN430", 430, Measures::WholeDegrees, 4, 0, 0, 4, 4, 0},
    };
    return models;
}

const ModelInfo* FindModel(const std::string& name) {
    std::string upper = name;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    for (const ModelInfo& model : Models())
        if (model.name == upper) return &model;
    return nullptr;
}
