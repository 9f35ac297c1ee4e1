#include "analysis/XrayLines.h"

#include <xraylib.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

namespace tavlex {

namespace {

// The library reports faults through an error object; the program turns them into "no data"
// (0) and never lets the library print.
template <typename F>
double Call(F f) {
  xrl_error* error = nullptr;
  const double value = f(&error);
  if (error != nullptr) {
    xrl_error_free(error);
    return 0;
  }
  return std::isfinite(value) && value > 0 ? value : 0;
}

struct LineGroup {
  const char* label;
  XrayFamily family;
  int members[2];
  int memberCount;
};

constexpr LineGroup kGroups[] = {
    {"Ka", XrayFamily::K, {KA1_LINE, KA2_LINE}, 2}, {"Kb", XrayFamily::K, {KB1_LINE, KB3_LINE}, 2},
    {"La", XrayFamily::L, {LA1_LINE, LA2_LINE}, 2}, {"Lb1", XrayFamily::L, {LB1_LINE, 0}, 1},
    {"Lb2", XrayFamily::L, {LB2_LINE, 0}, 1},       {"Lg1", XrayFamily::L, {LG1_LINE, 0}, 1},
    {"Ma", XrayFamily::M, {MA1_LINE, MA2_LINE}, 2}, {"Mb", XrayFamily::M, {MB_LINE, 0}, 1},
};
static_assert(std::size(kGroups) == kXrayMaxLines);

// Excitation at which a family's relative intensities are taken: half as much again as its
// highest edge, so every subshell of the family is excited.
double ReferenceEnergy(int z, XrayFamily family) {
  const int shell = family == XrayFamily::K ? K_SHELL : family == XrayFamily::L ? L1_SHELL : M1_SHELL;
  return 1.5 * Call([&](xrl_error** e) { return EdgeEnergy(z, shell, e); });
}

struct Table {
  bool ready = false;
  const char* message = "";
  XrayElement elements[kXrayLastZ - kXrayFirstZ + 1];
};

void FillElement(int z, XrayElement& el) {
  el.z = z;
  xrl_error* error = nullptr;
  char* symbol = AtomicNumberToSymbol(z, &error);
  if (error != nullptr) xrl_error_free(error);
  if (symbol != nullptr) {
    std::strncpy(el.symbol, symbol, sizeof el.symbol - 1);
    xrlFree(symbol);
  }
  el.atomicWeight = Call([&](xrl_error** e) { return AtomicWeight(z, e); });
  el.kEdgeKeV = Call([&](xrl_error** e) { return EdgeEnergy(z, K_SHELL, e); });
  el.l3EdgeKeV = Call([&](xrl_error** e) { return EdgeEnergy(z, L3_SHELL, e); });
  el.m5EdgeKeV = Call([&](xrl_error** e) { return EdgeEnergy(z, M5_SHELL, e); });
  double strongest[3] = {};
  for (const LineGroup& group : kGroups) {
    const double ref = ReferenceEnergy(z, group.family);
    double intensity = 0, weighted = 0;
    double memberKeV[2] = {}, memberCs[2] = {};
    int members[2] = {}, count = 0;
    for (int m = 0; m < group.memberCount; ++m) {
      const int id = group.members[m];
      const double energy = Call([&](xrl_error** e) { return LineEnergy(z, id, e); });
      const double cs =
          ref > 0 ? Call([&](xrl_error** e) { return CS_FluorLine_Kissel_Cascade(z, id, ref, e); })
                  : 0;
      if (energy <= 0 || cs <= 0) continue;
      members[count] = id;
      memberKeV[count] = energy;
      memberCs[count++] = cs;
      intensity += cs;
      weighted += cs * energy;
    }
    if (intensity <= 0) continue;
    XrayLine& line = el.lines[el.lineCount++];
    std::strncpy(line.label, group.label, sizeof line.label - 1);
    line.family = group.family;
    line.energyKeV = weighted / intensity;
    line.relative = intensity;
    line.memberCount = count;
    for (int m = 0; m < count; ++m) {
      line.members[m] = members[m];
      line.memberKeV[m] = memberKeV[m];
      line.memberRelative[m] = memberCs[m];
    }
    double& top = strongest[static_cast<int>(group.family)];
    top = std::max(top, intensity);
  }
  for (int i = 0; i < el.lineCount; ++i) {
    XrayLine& line = el.lines[i];
    const double top = strongest[static_cast<int>(line.family)];
    line.relative /= top;
    for (int m = 0; m < line.memberCount; ++m) line.memberRelative[m] /= top;
  }
}

const Table& TheTable() {
  static const Table table = [] {
    Table t;
    int withLines = 0;
    for (int z = kXrayFirstZ; z <= kXrayLastZ; ++z) {
      FillElement(z, t.elements[z - kXrayFirstZ]);
      if (t.elements[z - kXrayFirstZ].lineCount > 0) ++withLines;
    }
    // Iron's K-alpha is a fixed point of every table: a library that does not give it is not
    // giving data at all.
    const XrayElement& iron = t.elements[26 - kXrayFirstZ];
    t.ready = withLines > 0 && iron.lineCount > 0 && std::fabs(iron.lines[0].energyKeV - 6.40) < 0.01;
    if (!t.ready) {
      t.message = "the X-ray data library gave no line data";
      for (XrayElement& el : t.elements) el = XrayElement{};
    }
    return t;
  }();
  return table;
}

}  // namespace

bool XrayDataReady(const char** message) {
  const Table& t = TheTable();
  if (message != nullptr) *message = t.message;
  return t.ready;
}

const XrayElement* XrayElementByZ(int z) {
  if (z < kXrayFirstZ || z > kXrayLastZ) return nullptr;
  const XrayElement& el = TheTable().elements[z - kXrayFirstZ];
  return el.lineCount > 0 ? &el : nullptr;
}

int XrayZOfSymbol(std::string_view symbol) {
  if (symbol.empty() || symbol.size() > 2) return 0;
  char canonical[3] = {static_cast<char>(std::toupper(static_cast<unsigned char>(symbol[0]))), 0, 0};
  if (symbol.size() == 2) canonical[1] = static_cast<char>(std::tolower(static_cast<unsigned char>(symbol[1])));
  for (int z = kXrayFirstZ; z <= kXrayLastZ; ++z) {
    const XrayElement* el = XrayElementByZ(z);
    if (el != nullptr && std::strcmp(el->symbol, canonical) == 0) return z;
  }
  return 0;
}

const XrayLine* XrayStrongestLine(const XrayElement& element, XrayFamily family) {
  const XrayLine* best = nullptr;
  for (int i = 0; i < element.lineCount; ++i) {
    const XrayLine& line = element.lines[i];
    if (line.family == family && (best == nullptr || line.relative > best->relative)) best = &line;
  }
  return best;
}

const char* XrayFamilyName(XrayFamily family) {
  return family == XrayFamily::K ? "K" : family == XrayFamily::L ? "L" : "M";
}

int XrayLinesNear(double eKeV, double tolKeV, XrayLineHit* hits, int maxHits) {
  int n = 0;
  for (int z = kXrayFirstZ; z <= kXrayLastZ; ++z) {
    const XrayElement* el = XrayElementByZ(z);
    if (el == nullptr) continue;
    for (int i = 0; i < el->lineCount; ++i) {
      const double d = std::fabs(el->lines[i].energyKeV - eKeV);
      if (d > tolKeV) continue;
      // Insert in order of distance; the farthest falls off a full list.
      int at = n;
      while (at > 0 && std::fabs(hits[at - 1].line->energyKeV - eKeV) > d) --at;
      if (at >= maxHits) continue;
      for (int k = std::min(n, maxHits - 1); k > at; --k) hits[k] = hits[k - 1];
      hits[at] = {el, &el->lines[i]};
      n = std::min(n + 1, maxHits);
    }
  }
  return n;
}

double SiliconEscapeFraction(double e) {
  constexpr double kSiliconEdgeKeV = 1.839;
  if (e <= kSiliconEdgeKeV) return 0;
  // Photons absorbed near the entrance are the ones whose silicon K photon gets out: the share
  // falls with the depth of absorption.
  constexpr double kFluorescenceYield = 0.047, kJumpRatio = 10.4, kMuSiKa = 340;  // cm2/g
  const double muIncident = 33.9 * std::pow(10.0 / e, 2.8);
  const double r = kMuSiKa / muIncident;
  return 0.5 * kFluorescenceYield * (1 - 1 / kJumpRatio) * (1 - r * std::log(1 + 1 / r));
}

double SiliconDetectorFwhm(double e, double noise) {
  constexpr double kFano = 0.115, kPairKeV = 0.00365;
  return std::sqrt(noise * noise + 2.3548 * 2.3548 * kFano * kPairKeV * std::max(e, 0.0));
}

double ComptonEnergyKeV(double e, double angleDeg) {
  return e / (1 + e / 510.999 * (1 - std::cos(angleDeg * M_PI / 180.0)));
}

double XrayMassAttenuation(int z, double e) {
  return Call([&](xrl_error** err) { return CS_Total(z, e, err); });
}
double XrayPhotoAbsorption(int z, double e) {
  return Call([&](xrl_error** err) { return CS_Photo(z, e, err); });
}
double XrayRayleigh(int z, double e) {
  return Call([&](xrl_error** err) { return CS_Rayl(z, e, err); });
}
double XrayCompton(int z, double e) {
  return Call([&](xrl_error** err) { return CS_Compt(z, e, err); });
}

double XrayRayleighAt(int z, double e, double angleDeg) {
  return Call([&](xrl_error** err) { return DCS_Rayl(z, e, angleDeg * M_PI / 180.0, err); });
}
double XrayComptonAt(int z, double e, double angleDeg) {
  return Call([&](xrl_error** err) { return DCS_Compt(z, e, angleDeg * M_PI / 180.0, err); });
}

double XrayLineCrossSection(int z, const XrayLine& line, double e) {
  double sum = 0;
  for (int m = 0; m < line.memberCount; ++m)
    sum += Call([&](xrl_error** err) { return CS_FluorLine_Kissel_Cascade(z, line.members[m], e, err); });
  return sum;
}

}  // namespace tavlex
