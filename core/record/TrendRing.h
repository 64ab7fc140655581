#pragma once
// The readings of one panel over time: a ring of samples, each a time and one value per channel
// (NaN where there is none: "No Sensor", or a reply that was rejected), and the view of a channel
// that a chart draws, decimated to the least and greatest value per pixel column when zoomed out.
#include <QPointF>
#include <cstdint>
#include <vector>

// One unbroken stretch of a line: points as (ms since the epoch, value).
using TrendSegment = std::vector<QPointF>;

class TrendRing {
  public:
    TrendRing(int channels, int capacity);

    int Channels() const { return channels_; }
    int Capacity() const { return capacity_; }
    // Samples kept, oldest first.
    int Count() const { return count_; }
    int64_t TimeAt(int index) const { return times_[Slot(index)]; }
    double ValueAt(int index, int channel) const {
        return values_[static_cast<size_t>(Slot(index)) * channels_ + channel];
    }

    // Adds a sample; the oldest goes when the ring is full. A time before the last sample's is
    // taken as the last one's (a clock set back never reorders the ring).
    void Append(int64_t ms, const std::vector<double>& values);
    void Clear();

    // The first sample at or after `ms` (Count() when none).
    int FirstAtOrAfter(int64_t ms) const;
    // The sample nearest to `ms`; -1 when the ring is empty.
    int Nearest(int64_t ms) const;

    // The line of `channel` between `from` and `to` as it is drawn `columns` pixels wide: every
    // sample when there are few, else per column the least and the greatest value in the order
    // they came. It reaches one sample beyond each end, so a line leaves the edges of the view.
    // A line breaks at a missing value and where the samples stop for a while (a stopped poll);
    // `steps` draws a change as a vertical rise at the sample's time (0/1 inputs).
    std::vector<TrendSegment> View(int channel, int64_t from, int64_t to, int columns,
                                   bool steps) const;

    // Samples further apart than this never share a line: the poll was stopped or paused.
    static constexpr int64_t kBridgeFloorMs = 3000;

  private:
    int Slot(int index) const { return (first_ + index) % capacity_; }

    int channels_;
    int capacity_;
    std::vector<int64_t> times_;
    std::vector<float> values_;
    int first_ = 0;
    int count_ = 0;
};
