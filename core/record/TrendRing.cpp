#include "core/record/TrendRing.h"

#include <algorithm>
#include <cmath>

TrendRing::TrendRing(int channels, int capacity) : channels_(channels), capacity_(capacity) {}

void TrendRing::Append(int64_t ms, const std::vector<double>& values) {
    if (count_ > 0) ms = std::max(ms, TimeAt(count_ - 1));
    const int slot = Slot(count_ == capacity_ ? 0 : count_);
    if (count_ == capacity_)
        first_ = (first_ + 1) % capacity_;
    else
        ++count_;
    // Memory is taken as readings come: a window never polled costs nothing.
    if (slot == static_cast<int>(times_.size())) {
        times_.push_back(ms);
        values_.resize(values_.size() + channels_);
    }
    times_[slot] = ms;
    float* row = &values_[static_cast<size_t>(slot) * channels_];
    for (int c = 0; c < channels_; ++c)
        row[c] = c < static_cast<int>(values.size()) ? static_cast<float>(values[c]) : NAN;
}

void TrendRing::Clear() {
    first_ = 0;
    count_ = 0;
    times_.clear();
    values_.clear();
}

int TrendRing::FirstAtOrAfter(int64_t ms) const {
    int low = 0, high = count_;
    while (low < high) {
        const int mid = (low + high) / 2;
        if (TimeAt(mid) < ms)
            low = mid + 1;
        else
            high = mid;
    }
    return low;
}

int TrendRing::Nearest(int64_t ms) const {
    if (count_ == 0) return -1;
    const int after = FirstAtOrAfter(ms);
    if (after == count_) return count_ - 1;
    if (after == 0) return 0;
    return ms - TimeAt(after - 1) <= TimeAt(after) - ms ? after - 1 : after;
}

namespace {
// Builds the segments of one line from samples given in time order.
class LineBuilder {
  public:
    explicit LineBuilder(bool steps) : steps_(steps) {}

    void Point(double t, double v) {
        if (steps_ && !current_.empty() && current_.back().y() != v) Add({t, current_.back().y()});
        Add({t, v});
    }
    void Break() {
        if (!current_.empty()) segments_.push_back(std::move(current_));
        current_.clear();
    }
    std::vector<TrendSegment> Take() {
        Break();
        return std::move(segments_);
    }

  private:
    // A level stretch needs only its two ends: a third point at the same value moves the end.
    void Add(QPointF p) {
        const size_t n = current_.size();
        if (n >= 2 && current_[n - 1].y() == p.y() && current_[n - 2].y() == p.y()) {
            current_[n - 1].setX(p.x());
            return;
        }
        current_.push_back(p);
    }

    bool steps_;
    TrendSegment current_;
    std::vector<TrendSegment> segments_;
};

// Least and greatest value of one pixel column, with their times.
struct Column {
    bool any = false;
    double minT = 0, minV = 0, maxT = 0, maxV = 0;
    void Take(double t, double v) {
        if (!any || v < minV) minT = t, minV = v;
        if (!any || v > maxV) maxT = t, maxV = v;
        any = true;
    }
    void EmitTo(LineBuilder& line) {
        if (!any) return;
        if (minV == maxV) {
            line.Point(minT, minV);
        } else if (minT < maxT) {
            line.Point(minT, minV);
            line.Point(maxT, maxV);
        } else {
            line.Point(maxT, maxV);
            line.Point(minT, minV);
        }
        any = false;
    }
};
}  // namespace

std::vector<TrendSegment> TrendRing::View(int channel, int64_t from, int64_t to, int columns,
                                          bool steps) const {
    LineBuilder line(steps);
    if (count_ == 0 || channel < 0 || channel >= channels_ || to <= from) return line.Take();
    const int begin = std::max(0, FirstAtOrAfter(from) - 1);
    const int end = std::min(count_, FirstAtOrAfter(to + 1) + 1);
    columns = std::max(1, columns);
    const bool decimate = end - begin > 2 * columns;
    const double width = static_cast<double>(to - from) / columns;

    Column column;
    int64_t columnIndex = INT64_MIN;
    int64_t lastT = 0, lastStep = 0;
    bool haveLast = false;
    for (int i = begin; i < end; ++i) {
        const int64_t t = TimeAt(i);
        const double v = ValueAt(i, channel);
        if (haveLast) {
            const int64_t step = t - lastT;
            // A pause far longer than the poll's own pace is a stop, not a slow reading.
            if (step > std::max(kBridgeFloorMs, 5 * lastStep)) {
                column.EmitTo(line);
                line.Break();
            }
            lastStep = step;
        }
        lastT = t;
        haveLast = true;
        if (std::isnan(v)) {
            column.EmitTo(line);
            line.Break();
            continue;
        }
        if (!decimate) {
            line.Point(static_cast<double>(t), v);
            continue;
        }
        const auto index = static_cast<int64_t>(std::floor((t - from) / width));
        if (index != columnIndex) {
            column.EmitTo(line);
            columnIndex = index;
        }
        column.Take(static_cast<double>(t), v);
    }
    column.EmitTo(line);
    return line.Take();
}
