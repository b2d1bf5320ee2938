#include "ScanTrace.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <limits>

#include "Log.h"
#include "ScanView.h"

ScanTrace::ScanTrace(ScanForm* form, ScanChart* chart, const SourceConfigurationView* liveConfiguration)
    : form_(form), chart_(chart), liveConfiguration_(liveConfiguration), coverage_(chart)
{
    const bool externalTrigger = form_ != nullptr && form_->externalTriggerMode();
    if (!externalTrigger) CopyConfiguration();
}

ScanTrace::~ScanTrace() = default;

bool ScanTrace::frequencyDisplay() const
{
    return form_ != nullptr && form_->frequencyDisplay();
}

void ScanTrace::CopyConfiguration()
{
    if (liveConfiguration_ != nullptr) configuration_ = liveConfiguration_->clone();
}

ScanCurve* ScanTrace::AddCurve(const std::string& name, bool withMinMax)
{
    if (ScanCurve* existing = FindCurve(name)) {
        existing->setEnvelopes(withMinMax);
        return existing;
    }
    auto curve = std::make_unique<ScanCurve>(form_, chart_, name, curvePaletteColour(CurveCount()));
    curve->setEnvelopes(withMinMax);
    curves_.push_back(std::move(curve));
    return curves_.back().get();
}

void ScanTrace::RemoveCurve(std::string_view name)
{
    for (auto it = curves_.begin(); it != curves_.end(); ++it) {
        if ((*it)->name() == name) {
            curves_.erase(it);
            return;
        }
    }
}

ScanCurve* ScanTrace::FindCurve(std::string_view name)
{
    for (auto& curve : curves_) {
        if (curve->name() == name) return curve.get();
    }
    return nullptr;
}

const ScanCurve* ScanTrace::FindCurve(std::string_view name) const
{
    return const_cast<ScanTrace*>(this)->FindCurve(name);
}

ScanCurve* ScanTrace::CurveAt(int index)
{
    if (index < 0 || index >= CurveCount()) return nullptr;
    return curves_[static_cast<std::size_t>(index)].get();
}

const ScanCurve* ScanTrace::CurveAt(int index) const
{
    return const_cast<ScanTrace*>(this)->CurveAt(index);
}

void ScanTrace::SetCurveVisible(std::string_view name, bool visible)
{
    if (ScanCurve* curve = FindCurve(name)) {
        curve->setVisible(visible);
        curve->Redraw();
    }
}

void ScanTrace::SetShowMinMax(int index, bool show)
{
    if (ScanCurve* curve = CurveAt(index)) {
        curve->setShowMinMax(show);
        curve->Redraw();
    }
}

void ScanTrace::SetXShift(int index, double shift)
{
    if (ScanCurve* curve = CurveAt(index)) {
        curve->setXShift(shift);
        curve->Redraw();
    }
}

void ScanTrace::SetYShift(int index, double shift)
{
    if (ScanCurve* curve = CurveAt(index)) {
        curve->setYShift(shift);
        curve->Redraw();
    }
}

void ScanTrace::SetSelected(bool selected)
{
    selected_ = selected;
    coverage_.setVisible(selected);
    if (chart_ != nullptr) chart_->coverageChanged(coverage_);
    for (int i = 0; i < CurveCount(); ++i)
        curves_[static_cast<std::size_t>(i)]->setColour(selected ? curvePaletteColour(i) : curveColourBlack);
    RedrawAll();
}

void ScanTrace::RedrawAll() const
{
    for (const auto& curve : curves_) curve->Redraw();
}

void ScanTrace::UpdateCoverage()
{
    coverage_.Clear();
    if (liveConfiguration_ != nullptr) {
        const SourceConfigurationView& sources = *liveConfiguration_;
        const bool frequency = frequencyDisplay();
        for (int i = 0; i + 1 < sources.sourceCount(); ++i) {
            if (!sources.sourceEnabled(i) || !sources.sourceEnabled(i + 1)) continue;
            const double gapStart = sources.sourceLambdaMax(i);
            const double gapEnd = sources.sourceLambdaMin(i + 1);
            if (!(gapStart < gapEnd)) continue;
            if (frequency)
                coverage_.Add(terahertzNm / gapEnd, terahertzNm / gapStart);
            else
                coverage_.Add(gapStart, gapEnd);
        }
        // Everything outside the scan range, up to the chart's 2000 limit.
        if (frequency) {
            coverage_.Add(0.0, terahertzNm / sources.scanStop());
            coverage_.Add(terahertzNm / sources.scanStart(), 2000.0);
        } else {
            coverage_.Add(0.0, sources.scanStart());
            coverage_.Add(sources.scanStop(), 2000.0);
        }
    }
    if (chart_ != nullptr) chart_->coverageChanged(coverage_);
}

std::shared_ptr<ScanData::Array> ScanTrace::wavelengthArray(int points, int capacity) const
{
    // The array of the previous build, when only this trace's curves hold
    // it and it is large enough, is written in place: a continuous series
    // then keeps one array, as it kept its points before, instead of
    // freeing one while the chart may still be drawing from it.
    std::shared_ptr<ScanData::Array> held;
    for (const auto& curve : curves_)
        if ((held = curve->data().heldX())) break;
    long holders = 0;
    for (const auto& curve : curves_)
        if (held && curve->data().heldX() == held) ++holders;
    const auto n = static_cast<std::size_t>(points);
    if (held && held.use_count() == holders + 1 && held->capacity() >= n) {
        held->resize(n);
        return held;
    }
    auto fresh = std::make_shared<ScanData::Array>();
    fresh->reserve(std::max(n, static_cast<std::size_t>(capacity)));
    fresh->resize(n);
    return fresh;
}

void ScanTrace::BuildTrace(bool reset, bool extReferenced, bool accumulate)
{
    BuildTrace(reset, extReferenced, accumulate, frequencyDisplay());
}

void ScanTrace::BuildTrace(bool reset, bool extReferenced, bool accumulate, bool frequency)
{
    const auto started = std::chrono::steady_clock::now();
    const int samples = result_.sampleCount();
    const std::vector<double>& wavelength = result_.wavelength;

    // Which samples lie outside the coverage shapes is the same for every
    // curve, and so are the wavelengths of the points: one array for all
    // curves. Without a skipped sample (the usual case) no list is needed.
    auto skipped = [&](int i) {
        const double x = wavelength[static_cast<std::size_t>(i)];
        return coverage_.Contains(frequency ? terahertzNm / x : x);
    };
    int firstSkipped = 0;
    while (firstSkipped < samples && !skipped(firstSkipped)) ++firstSkipped;
    std::vector<int> shown;
    if (firstSkipped < samples) {
        shown.reserve(static_cast<std::size_t>(samples));
        for (int i = 0; i < samples; ++i)
            if (!skipped(i)) shown.push_back(i);
    }
    const bool all = firstSkipped == samples;
    const int stored = all ? samples : static_cast<int>(shown.size());

    const std::vector<double>& output = result_.values[ScanChannel::Output];
    std::shared_ptr<ScanData::Array> x;
    for (auto& curve : curves_) {
        const int channel = ScanChannel::fromCurveName(curve->name());
        const bool relative = channel != ScanChannel::Ext || extReferenced;
        const std::vector<double>& values = result_.values[static_cast<std::size_t>(channel)];
        // A channel that was not measured (or a reference that was not) gives
        // the curve no points rather than values read past its end.
        const bool measured = static_cast<int>(values.size()) >= samples
                              && (!relative || static_cast<int>(output.size()) >= samples);

        ScanData& data = curve->data();
        if (reset) data.Reserve(samples + 200);
        if (!measured) {
            data.SetCount(0);
        } else {
            if (!x) {
                x = wavelengthArray(stored, samples + 200);
                double* to = x->data();
                if (all)
                    std::copy(wavelength.begin(), wavelength.begin() + samples, to);
                else
                    for (const int i : shown) *to++ = wavelength[static_cast<std::size_t>(i)];
            }
            double* y = data.preparePoints(x, stored).data();
            const double* v = values.data();
            const double* o = output.data();
            if (all) {
                if (relative)
                    for (int i = 0; i < samples; ++i) y[i] = v[i] - o[i];
                else
                    std::copy(v, v + samples, y);
            } else {
                int k = 0;
                for (const int i : shown) y[k++] = relative ? v[i] - o[i] : v[i];
            }
        }
        if (reset)
            data.StartEnvelopes(true);
        else if (accumulate)
            data.UpdateEnvelopes();
    }

    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count();
    Log::debug("ScanTrace::BuildTrace Time = %d\n", static_cast<int>(elapsed));
}

int ScanTrace::NearestCurve(double xPixel, double yPixel) const
{
    const bool frequency = frequencyDisplay();
    int nearest = -1;
    double nearestDistance = std::numeric_limits<double>::infinity();
    for (int index = 0; index < CurveCount(); ++index) {
        const ScanCurve& curve = *curves_[static_cast<std::size_t>(index)];
        if (!curve.visible()) continue;
        const PixelMapping map = chart_ != nullptr ? chart_->pixelMapping(curve) : PixelMapping{};
        const ScanData& data = curve.data();
        const double* x = data.x().data();
        const double* y = data.y().data();
        for (int i = 0; i < data.count(); ++i) {
            const double drawnX = (frequency ? terahertzNm / x[i] : x[i]) + curve.xShift();
            const double drawnY = y[i] + curve.yShift();
            const double dx = map.xOffset + map.xScale * drawnX - xPixel;
            const double dy = map.yOffset + map.yScale * drawnY - yPixel;
            const double distance = dx * dx + dy * dy;
            if (distance < nearestDistance) {
                nearestDistance = distance;
                nearest = index;
            }
        }
    }
    return nearest;
}
