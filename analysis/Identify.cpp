#include "analysis/Identify.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "analysis/Calibration.h"

namespace tavlex {

namespace {

// Share of a peak still to be explained before another contributor is looked for: K-beta/K-alpha
// ratios hold to a few per cent, the L and M families' ratios far less well (they follow the
// excitation and the matrix).
constexpr double kLeftOverShare = 0.30, kLeftOverShareLoose = 0.50;
// An escape peak is at most 8 times the model's share of its parent (at least 2 % of it: the
// share varies with the detector), never above 5 %.
constexpr double kEscapeMargin = 8, kEscapeLeastBound = 0.02, kEscapeMostShare = 0.05;
// A sum peak is at most the pile-up of a 3 us resolving time at the run's rates (at least 2 % of
// the smaller parent), never above 10 % of it; without a live time, up to 10 %.
constexpr double kPileUpResolvingS = 3e-6, kSumLeastBound = 0.02, kSumMostShare = 0.10;
// Compton peaks are broadened by the electrons' motion, in proportion to the energy: maxima of
// the filter may stand this share of it beside the scattered energy (0.3 keV at Rh-Ka).
constexpr double kComptonSpread = 0.015;
constexpr int kSumParents = 6;
constexpr int kMaxObserved = 16;

// A line as this spectrum shows it: doublets split or lines merged at its resolution.
struct Observed {
  char label[8] = {};
  double keV = 0;
  double relative = 0;
};

void CopyLabel(char* to, const char* from) {
  int k = 0;
  for (; k < 7 && from[k] != 0; ++k) to[k] = from[k];
  to[k] = 0;
}

// The lines of one family of an element at the spectrum's resolution, strongest first.
int ObservedLines(const XrayElement& el, XrayFamily family, const PeakSearchResult& search,
                  Observed* out) {
  struct Member {
    double keV, relative;
    int line;
    char label[8];
  } members[2 * kXrayMaxLines];
  int count = 0;
  for (int i = 0; i < el.lineCount; ++i) {
    const XrayLine& line = el.lines[i];
    if (line.family != family) continue;
    for (int m = 0; m < line.memberCount; ++m) {
      Member& mem = members[count++];
      mem.keV = line.memberKeV[m];
      mem.relative = line.memberRelative[m];
      mem.line = i;
      const bool beta = std::strcmp(line.label, "Kb") == 0;
      std::snprintf(mem.label, sizeof mem.label, "%s%s", line.label,
                    line.memberCount == 1 ? "" : m == 0 ? "1" : beta ? "3" : "2");
    }
  }
  std::sort(members, members + count, [](const Member& a, const Member& b) { return a.keV < b.keV; });
  int n = 0;
  for (int k = 0; k < count;) {
    // Lines closer than a FWHM show as one peak.
    int end = k + 1;
    while (end < count && members[end].keV - members[end - 1].keV < SearchFwhm(search, members[end].keV))
      ++end;
    Observed& o = out[n++];
    o = Observed{};
    int strongest = k;
    double weighted = 0;
    for (int j = k; j < end; ++j) {
      o.relative += members[j].relative;
      weighted += members[j].relative * members[j].keV;
      if (members[j].relative > members[strongest].relative) strongest = j;
    }
    o.keV = weighted / o.relative;
    // The doublet's own name when both its members are in; else the strongest member's.
    const int line = members[strongest].line;
    int ofLine = 0;
    for (int j = k; j < end; ++j) ofLine += members[j].line == line;
    CopyLabel(o.label, ofLine == el.lines[line].memberCount ? el.lines[line].label : members[strongest].label);
    k = end;
  }
  double top = 0;
  for (int i = 0; i < n; ++i) top = std::max(top, out[i].relative);
  for (int i = 0; i < n; ++i) out[i].relative /= top;
  std::sort(out, out + n, [](const Observed& a, const Observed& b) { return a.relative > b.relative; });
  return n;
}

class Explainer {
 public:
  Explainer(const IdentifySetup& setup, double calRms, Identification& id)
      : setup_(setup), calRms_(calRms), id_(id), search_(id.search) {}

  void Run();
  // Rms error of the lone main lines of the elements found; 0 with fewer than two.
  double MeasuredCalibrationRms() const;

 private:
  double Fwhm(double e) const { return SearchFwhm(search_, e); }
  double Tol(double e) const { return LineTolerance(Fwhm(e), calRms_); }
  int ChannelOf(double e) const {
    return std::clamp(static_cast<int>(std::lround((e - setup_.offset) / setup_.slope)), 0,
                      std::max(search_.channels - 1, 0));
  }
  double Sigma(int i) const { return id_.peaks[i].peak.netSigma; }
  double Net(int i) const { return id_.peaks[i].peak.net; }
  double Energy(int i) const { return id_.peaks[i].peak.energyKeV; }
  bool InView(double e) const { return e >= lowKeV_ && e <= highKeV_; }
  int PeakNear(double e, double tol) const;
  bool LeftOver(int i) const {
    const double share = loose_[i] ? kLeftOverShareLoose : kLeftOverShare;
    return left_[i] > 3 * Sigma(i) && (id_.peaks[i].partCount == 0 || left_[i] > share * Net(i));
  }
  void AddPart(int i, const PeakPart& part);
  bool TryScatter(int i);
  bool TryEscape(int i);
  bool TrySum(int i);
  bool TryElements(int i);

  struct Candidate {
    const XrayElement* el = nullptr;
    XrayFamily family = XrayFamily::K;
    Observed lines[kMaxObserved];
    int lineCount = 0;
    int matched[kMaxObserved] = {};  // peak of each line, -1 none, -2 not expected
    double strength = 0;             // area of the strongest line
    double score = 0, confidence = 0;
  };
  bool Evaluate(int i, Candidate& c);
  void Accept(const Candidate& c);

  const IdentifySetup& setup_;
  double calRms_;
  Identification& id_;
  const PeakSearchResult& search_;
  double left_[kMaxFoundPeaks] = {};
  bool loose_[kMaxFoundPeaks] = {};  // explained in part by a weaker L or M line
  int order_[kMaxFoundPeaks] = {};
  double lowKeV_ = 0, highKeV_ = 0;
  Candidate trial_, best_;
};

int Explainer::PeakNear(double e, double tol) const {
  int best = -1;
  for (int i = 0; i < id_.peakCount; ++i) {
    const double d = std::fabs(Energy(i) - e);
    if (d <= tol && (best < 0 || d < std::fabs(Energy(best) - e))) best = i;
  }
  return best;
}

void Explainer::AddPart(int i, const PeakPart& part) {
  IdentifiedPeak& p = id_.peaks[i];
  for (int k = 0; k < p.partCount; ++k)
    if (p.parts[k].role == part.role && p.parts[k].z == part.z &&
        std::strcmp(p.parts[k].label, part.label) == 0 && p.parts[k].parent == part.parent &&
        p.parts[k].parent2 == part.parent2)
      return;
  if (p.partCount < kMaxPeakParts) p.parts[p.partCount++] = part;
}

bool Explainer::TryScatter(int i) {
  const XrayElement* anode = XrayElementByZ(setup_.anodeZ);
  if (anode == nullptr) return false;
  const double e = Energy(i), tol = Tol(e);
  for (XrayFamily family : {XrayFamily::K, XrayFamily::L}) {
    Observed lines[kMaxObserved];
    const int n = ObservedLines(*anode, family, search_, lines);
    // A family's weaker lines scatter only beside its strongest one.
    if (n == 0 || !InView(lines[0].keV) || PeakNear(lines[0].keV, Tol(lines[0].keV)) < 0) continue;
    for (int k = 0; k < n; ++k) {
      if (lines[k].relative < 0.05) continue;
      PeakPart part;
      part.z = anode->z;
      CopyLabel(part.label, lines[k].label);
      if (std::fabs(lines[k].keV - e) <= tol) {
        part.role = PeakRole::Rayleigh;
      } else if (e >= ComptonEnergyKeV(lines[k].keV, 180) - tol - kComptonSpread * lines[k].keV &&
                 e <= ComptonEnergyKeV(lines[k].keV, 90) + tol + kComptonSpread * lines[k].keV) {
        part.role = PeakRole::Compton;
      } else {
        continue;
      }
      AddPart(i, part);
      left_[i] = 0;
      return true;
    }
  }
  return false;
}

bool Explainer::TryEscape(int i) {
  const double e = Energy(i);
  // The escape lies exactly 1.740 keV below its parent: the tolerance of one line.
  const int parent = PeakNear(e + kSiliconKaKeV, Tol(e));
  if (parent < 0 || Net(parent) <= Net(i)) return false;
  const double expected = SiliconEscapeFraction(Energy(parent)) * Net(parent);
  if (!(expected > 0)) return false;
  PeakPart part;
  part.role = PeakRole::Escape;
  part.parent = parent;
  AddPart(i, part);
  const double most = std::min(std::max(kEscapeMargin * expected, kEscapeLeastBound * Net(parent)),
                               kEscapeMostShare * Net(parent));
  if (left_[i] <= most + Sigma(i)) {
    left_[i] = 0;
    return true;
  }
  left_[i] -= expected;  // a line of its own lies under the escape peak
  return false;
}

bool Explainer::TrySum(int i) {
  int parents[kSumParents];
  int n = 0;
  for (int k = 0; k < id_.peakCount && n < kSumParents; ++k)
    if (order_[k] != i && Net(order_[k]) > Net(i)) parents[n++] = order_[k];
  const double e = Energy(i);
  int bestA = -1, bestB = -1;
  double bestD = 1.5 * Tol(e);
  for (int a = 0; a < n; ++a)
    for (int b = a; b < n; ++b) {
      const int pa = parents[a], pb = parents[b];
      const double d = std::fabs(Energy(pa) + Energy(pb) - e);
      if (d > bestD) continue;
      const double smaller = std::min(Net(pa), Net(pb));
      const double pileUp = (pa == pb ? 1 : 2) * Net(pa) * Net(pb) * kPileUpResolvingS / setup_.liveTimeS;
      const double most = setup_.liveTimeS > 0
                              ? std::min(std::max(pileUp, kSumLeastBound * smaller), kSumMostShare * smaller)
                              : kSumMostShare * smaller;
      if (left_[i] > most + Sigma(i)) continue;
      bestD = d;
      bestA = pa;
      bestB = pb;
    }
  if (bestA < 0) return false;
  PeakPart part;
  part.role = PeakRole::Sum;
  part.parent = std::min(bestA, bestB);
  part.parent2 = std::max(bestA, bestB);
  AddPart(i, part);
  left_[i] = 0;
  return true;
}

// Elements with no long-lived isotope are not looked for: Tc, Pm, Po to Ac, Pa.
bool Unstable(int z) {
  return z == 43 || z == 61 || (z >= 84 && z <= 89) || z == 91;
}

bool Explainer::Evaluate(int i, Candidate& c) {
  if (Unstable(c.el->z)) return false;
  // A family already found has taken its share of every peak it explains.
  for (int k = 0; k < id_.elementCount; ++k)
    if (id_.elements[k].z == c.el->z && std::strchr(id_.elements[k].families, XrayFamilyName(c.family)[0]))
      return false;
  // Whatever excites an M shell excites the L shells first: M lines alone, with the L lines
  // in view, are another element's.
  if (c.family == XrayFamily::M) {
    const XrayLine* l = XrayStrongestLine(*c.el, XrayFamily::L);
    bool haveL = false;
    for (int k = 0; k < id_.elementCount; ++k)
      haveL |= id_.elements[k].z == c.el->z && std::strchr(id_.elements[k].families, 'L') != nullptr;
    if (l != nullptr && InView(l->energyKeV) && !haveL) return false;
  }
  c.lineCount = ObservedLines(*c.el, c.family, search_, c.lines);
  // Lines out of view say nothing; the strongest in view stands for the family.
  int main = -1, self = -1;
  const double e = Energy(i);
  for (int k = 0; k < c.lineCount; ++k) {
    c.matched[k] = -2;
    if (!InView(c.lines[k].keV)) continue;
    if (main < 0) main = k;
    if (std::fabs(c.lines[k].keV - e) <= Tol(c.lines[k].keV) &&
        (self < 0 || std::fabs(c.lines[k].keV - e) < std::fabs(c.lines[self].keV - e)))
      self = k;
  }
  if (main < 0 || self < 0) return false;
  const int mainPeak = self == main ? i : PeakNear(c.lines[main].keV, Tol(c.lines[main].keV));
  if (mainPeak < 0) return false;
  c.strength = left_[mainPeak] / c.lines[main].relative;
  if (!(c.strength > 3 * Sigma(mainPeak))) {
    // The strongest line's peak is explained already: this element may still hide under it
    // (As-Ka under Pb-La), as long as that peak is large enough to hold its share.
    if (self == main) return false;
    c.strength = left_[i] / c.lines[self].relative;
    if (Net(mainPeak) < 0.5 * c.strength * c.lines[main].relative) return false;
  }

  double expected = 0, found = 0, offBy = 0;
  int foundCount = 0;
  for (int k = 0; k < c.lineCount; ++k) {
    if (!InView(c.lines[k].keV)) continue;
    const double predicted = c.strength * c.lines[k].relative;
    const double limit = 3 * search_.netSigma[ChannelOf(c.lines[k].keV)];
    if (k != main && k != self && predicted < limit) continue;
    expected += c.lines[k].relative;
    const int peak = k == self ? i : k == main ? mainPeak : PeakNear(c.lines[k].keV, Tol(c.lines[k].keV));
    c.matched[k] = -1;
    if (peak < 0) {
      // A line expected well above the noise must show, unless it hides in the flank of a
      // neighbour at least twice as large within two widths.
      const int flank = PeakNear(c.lines[k].keV, 2 * Fwhm(c.lines[k].keV));
      if (predicted >= 2 * limit && (flank < 0 || Net(flank) < 2 * predicted)) return false;
      continue;
    }
    if (Net(peak) < 0.5 * predicted - 2 * Sigma(peak)) return false;
    c.matched[k] = peak;
    found += c.lines[k].relative;
    offBy += std::fabs(Energy(peak) - c.lines[k].keV) / Tol(c.lines[k].keV);
    ++foundCount;
  }
  const double share = expected > 0 ? found / expected : 0;
  const double agreement = foundCount > 0 ? 1 - 0.5 * offBy / foundCount : 0;
  const double significance = std::min(1.0, c.strength / (10 * Sigma(mainPeak)));
  c.confidence = share * agreement * significance;
  const double explained = std::min(1.0, c.strength * c.lines[self].relative / std::max(left_[i], 1e-9));
  bool known = false;
  for (int k = 0; k < id_.elementCount; ++k) known |= id_.elements[k].z == c.el->z;
  c.score = explained * share * agreement + (known ? 0.3 : 0) + (self == main ? 0.2 : 0);
  return true;
}

bool Explainer::TryElements(int i) {
  const double e = Energy(i);
  XrayLineHit hits[64];
  // Doublets split at this resolution lie up to half their spacing from the table's line.
  const int n = XrayLinesNear(e, Tol(e) + 0.2, hits, 64);
  best_.el = nullptr;
  for (int h = 0; h < n; ++h) {
    bool seen = false;
    for (int k = 0; k < h; ++k)
      seen |= hits[k].element == hits[h].element && hits[k].line->family == hits[h].line->family;
    if (seen) continue;
    trial_.el = hits[h].element;
    trial_.family = hits[h].line->family;
    if (Evaluate(i, trial_) && (best_.el == nullptr || trial_.score > best_.score)) best_ = trial_;
  }
  if (best_.el == nullptr) return false;
  Accept(best_);
  return true;
}

void Explainer::Accept(const Candidate& c) {
  FoundElement* el = nullptr;
  for (int k = 0; k < id_.elementCount; ++k)
    if (id_.elements[k].z == c.el->z) el = &id_.elements[k];
  if (el == nullptr) {
    if (id_.elementCount == kMaxFoundElements) return;
    el = &id_.elements[id_.elementCount++];
    *el = FoundElement{};
    el->z = c.el->z;
  }
  const char* family = XrayFamilyName(c.family);
  if (std::strchr(el->families, family[0]) == nullptr && std::strlen(el->families) < 3)
    std::strncat(el->families, family, 1);
  el->confidence = std::max(el->confidence, c.confidence);
  for (int k = 0; k < c.lineCount; ++k) {
    const int peak = c.matched[k];
    if (peak < 0) continue;
    left_[peak] = std::max(0.0, left_[peak] - c.strength * c.lines[k].relative);
    if (c.family != XrayFamily::K && c.lines[k].relative < 1) loose_[peak] = true;
    PeakPart part;
    part.z = c.el->z;
    CopyLabel(part.label, c.lines[k].label);
    AddPart(peak, part);
    if (el->lineCount < kMaxElementLines) {
      ElementLineMatch& m = el->lines[el->lineCount++];
      CopyLabel(m.label, c.lines[k].label);
      m.tabulatedKeV = c.lines[k].keV;
      m.measuredKeV = Energy(peak);
      m.peak = peak;
    }
  }
}

void Explainer::Run() {
  const int n = id_.peakCount;
  for (int i = 0; i < n; ++i) {
    id_.peaks[i].partCount = 0;
    left_[i] = Net(i);
    loose_[i] = false;
    order_[i] = i;
  }
  id_.elementCount = 0;
  std::sort(order_, order_ + n, [&](int a, int b) { return Net(a) > Net(b); });
  lowKeV_ = kDetectorFloorKeV;
  highKeV_ = (search_.channels - 1) * setup_.slope + setup_.offset;
  // Twice over: a peak passed over early may be explained by what later peaks brought.
  for (int pass = 0; pass < 2; ++pass)
    for (int k = 0; k < n; ++k) {
      const int i = order_[k];
      if (!LeftOver(i)) continue;
      if (TryScatter(i) || TryEscape(i) || TrySum(i)) continue;
      TryElements(i);
    }
  std::sort(id_.elements, id_.elements + id_.elementCount,
            [](const FoundElement& a, const FoundElement& b) { return a.z < b.z; });
}

double Explainer::MeasuredCalibrationRms() const {
  double d[kMaxFoundElements * kMaxElementLines];
  int n = 0;
  for (int k = 0; k < id_.elementCount; ++k) {
    const FoundElement& el = id_.elements[k];
    for (int l = 0; l < el.lineCount; ++l) {
      const int i = el.lines[l].peak;
      const IdentifiedPeak& p = id_.peaks[i];
      // Only strong lines that have their peak to themselves, with no neighbour to pull it.
      if (p.partCount != 1 || p.peak.net < 20 * p.peak.netSigma) continue;
      bool alone = true;
      for (int j = 0; j < id_.peakCount; ++j)
        if (j != i && std::fabs(Energy(j) - Energy(i)) < 2.5 * Fwhm(Energy(i))) alone = false;
      if (alone) d[n++] = std::fabs(el.lines[l].measuredKeV - el.lines[l].tabulatedKeV);
    }
  }
  if (n < 3) return 0;
  // The median, as a standard deviation: a line pulled by an unresolved doublet does not count.
  std::nth_element(d, d + n / 2, d + n);
  return 1.4826 * d[n / 2];
}

}  // namespace

double LineTolerance(double fwhmKeV, double calibrationRmsKeV) {
  return 0.3 * fwhmKeV + 3 * calibrationRmsKeV;
}

bool Identify(const std::int32_t* counts, int channels, const IdentifySetup& setup,
              Identification& out) {
  out.peakCount = 0;
  out.elementCount = 0;
  // A calibration must put the channels at energies an X-ray spectrum can have.
  if (!(setup.slope >= kLeastSlopeKeV && setup.slope <= kMostSlopeKeV) || !std::isfinite(setup.offset) ||
      std::fabs(setup.offset) > 1000 || !XrayDataReady())
    return false;
  PeakSearchSetup search;
  search.slope = setup.slope;
  search.offset = setup.offset;
  search.noiseFwhmKeV = setup.noiseFwhmKeV;
  FindPeaks(counts, channels, search, out.search);
  out.noiseFwhmKeV = out.search.noiseFwhmKeV;
  out.resolutionMeasured = out.search.resolutionMeasured;
  out.peakCount = out.search.count;
  for (int i = 0; i < out.peakCount; ++i) out.peaks[i].peak = out.search.peaks[i];

  const double quantisation = setup.slope / std::sqrt(12.0);
  out.calibrationRmsKeV = quantisation;
  {
    Explainer first(setup, quantisation, out);
    first.Run();
    const double rms = first.MeasuredCalibrationRms();
    if (!(rms > 1.5 * quantisation)) return true;
    out.calibrationRmsKeV = rms;
  }
  Explainer second(setup, out.calibrationRmsKeV, out);
  second.Run();
  return true;
}

bool IdentifyDisplayed(const AppState& s, int anodeZ, Identification& out) {
  IdentifySetup setup;
  if (!CalibrationInKeV(s, setup.slope, setup.offset)) setup.slope = 0;
  setup.anodeZ = anodeZ;
  setup.liveTimeS = s.liveTime * 0.1;
  return Identify(s.spectrumCounts, s.channelSize, setup, out);
}

std::string IdentifiedPeakLine(const Identification& id, int peak) {
  const IdentifiedPeak& p = id.peaks[peak];
  char buf[96], part[64];
  std::snprintf(buf, sizeof buf, "%7.3f keV  net %9.0f +- %6.0f  ", p.peak.energyKeV, p.peak.net,
                p.peak.netSigma);
  std::string line = buf;
  if (p.partCount == 0) return line + "unidentified";
  for (int k = 0; k < p.partCount; ++k)
    line += (k ? "; " : "") + std::string(PeakPartText(id, p.parts[k], part, sizeof part));
  return line;
}

std::string FoundElementLine(const Identification& id, int element) {
  const FoundElement& el = id.elements[element];
  const XrayElement* x = XrayElementByZ(el.z);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%-2s  %-3s %.2f ", x != nullptr ? x->symbol : "?", el.families,
                el.confidence);
  std::string line = buf;
  for (int l = 0; l < el.lineCount; ++l) {
    std::snprintf(buf, sizeof buf, " %s %.3f (%.3f)", el.lines[l].label, el.lines[l].measuredKeV,
                  el.lines[l].tabulatedKeV);
    line += buf;
  }
  return line;
}

const char* PeakPartText(const Identification& id, const PeakPart& part, char* buf, int size) {
  const auto n = static_cast<std::size_t>(size);
  const XrayElement* el = XrayElementByZ(part.z);
  const char* symbol = el != nullptr ? el->symbol : "?";
  // A parent by what explains it first: a line, or the scatter of the anode's line.
  auto firstOf = [&](int peak, char* to, std::size_t cap) {
    const IdentifiedPeak* p = peak >= 0 && peak < id.peakCount ? &id.peaks[peak] : nullptr;
    const PeakRole role = p != nullptr && p->partCount > 0 ? p->parts[0].role : PeakRole::Escape;
    if (role == PeakRole::Element || role == PeakRole::Rayleigh || role == PeakRole::Compton) {
      const XrayElement* pe = XrayElementByZ(p->parts[0].z);
      std::snprintf(to, cap, "%s%s %s", role == PeakRole::Element ? "" : role == PeakRole::Rayleigh ? "Rayleigh " : "Compton ",
                    pe != nullptr ? pe->symbol : "?", p->parts[0].label);
    } else {
      std::snprintf(to, cap, "%.3f keV", p != nullptr ? p->peak.energyKeV : 0.0);
    }
  };
  char a[32], b[32];
  switch (part.role) {
    case PeakRole::Element:
      std::snprintf(buf, n, "%s %s", symbol, part.label);
      break;
    case PeakRole::Escape:
      firstOf(part.parent, a, sizeof a);
      std::snprintf(buf, n, "escape of %s", a);
      break;
    case PeakRole::Sum:
      firstOf(part.parent, a, sizeof a);
      firstOf(part.parent2, b, sizeof b);
      std::snprintf(buf, n, "sum of %s + %s", a, b);
      break;
    case PeakRole::Rayleigh:
      std::snprintf(buf, n, "Rayleigh %s %s", symbol, part.label);
      break;
    case PeakRole::Compton:
      std::snprintf(buf, n, "Compton %s %s", symbol, part.label);
      break;
  }
  return buf;
}

}  // namespace tavlex
