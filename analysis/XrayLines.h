#pragma once
// The program's one source of X-ray data: line energies, relative line intensities and edge
// energies of the elements Na (11) to U (92), taken from the X-ray data library (xraylib) once,
// into a fixed table. The simulated analyser, the identification and the line markers all read
// this table; nothing else calls the library for line data.
//
// A line here is what the detector sees: close doublets (K-alpha1/2, K-beta1/3, L-alpha1/2,
// M-alpha1/2) are one line at their intensity-weighted energy. Intensities are relative to the
// family's strongest line, for an excitation well above the family's edges.

#include <cstdint>
#include <string_view>

namespace tavlex {

enum class XrayFamily : std::uint8_t { K, L, M };

inline constexpr int kXrayFirstZ = 11;  // Na
inline constexpr int kXrayLastZ = 92;   // U
inline constexpr int kXrayMaxLines = 8;
// The silicon K-alpha line: what a silicon detector's escape peak lies below its parent.
inline constexpr double kSiliconKaKeV = 1.740;

struct XrayLine {
  char label[4] = {};  // "Ka", "Kb", "La", "Lb1", "Lb2", "Lg1", "Ma", "Mb"
  XrayFamily family = XrayFamily::K;
  double energyKeV = 0;
  double relative = 0;  // within the family, strongest line = 1
  // The doublet's members, as the library numbers them (for excitation), with their own energy
  // and relative intensity (within the family): a detector resolves K-alpha1/2 of heavy
  // elements, so the identification and the simulator may split what is merged here.
  int members[2] = {0, 0};
  double memberKeV[2] = {0, 0};
  double memberRelative[2] = {0, 0};
  int memberCount = 0;
};

struct XrayElement {
  int z = 0;
  char symbol[3] = {};
  double atomicWeight = 0;
  double kEdgeKeV = 0, l3EdgeKeV = 0, m5EdgeKeV = 0;  // 0 when the library has none
  int lineCount = 0;
  XrayLine lines[kXrayMaxLines];
};

// The table, built on first use (start-up calls it once so no later caller builds it). False
// with a message when the library could not give the data; the table is then empty.
bool XrayDataReady(const char** message = nullptr);

// The element with atomic number z, or nullptr outside Na..U or without data.
const XrayElement* XrayElementByZ(int z);
// Atomic number of a symbol ("Fe", also "fe" or "FE"); 0 for anything else.
int XrayZOfSymbol(std::string_view symbol);
// The family's strongest line of an element, or nullptr when it has none.
const XrayLine* XrayStrongestLine(const XrayElement& element, XrayFamily family);
// "K", "L", "M".
const char* XrayFamilyName(XrayFamily family);

struct XrayLineHit {
  const XrayElement* element;
  const XrayLine* line;
};
// Lines of any element within +-tolKeV of eKeV, nearest first; returns how many were written
// (at most maxHits).
int XrayLinesNear(double eKeV, double tolKeV, XrayLineHit* hits, int maxHits);

// Share of the photons of energy eKeV absorbed in a silicon detector that leave a silicon
// escape peak (at eKeV - kSiliconKaKeV) behind: 0 below the silicon K edge, about 1.5 % at
// 2 keV falling to 0.2 % at 8 keV.
double SiliconEscapeFraction(double eKeV);
// Full width at half maximum (keV) of a silicon detector at eKeV whose electronic noise alone
// is noiseFwhmKeV wide: the noise added in quadrature to the Fano-limited charge statistics.
double SiliconDetectorFwhm(double eKeV, double noiseFwhmKeV);
// Energy of a photon of eKeV after Compton scattering through angleDeg.
double ComptonEnergyKeV(double eKeV, double angleDeg);

// Physical data the simulated analyser's excitation model needs (cm2/g); 0 on a library error.
double XrayMassAttenuation(int z, double eKeV);
double XrayPhotoAbsorption(int z, double eKeV);
double XrayRayleigh(int z, double eKeV);
double XrayCompton(int z, double eKeV);
// The same scatter per steradian into angleDeg (cm2/g/sr): what a detector at that angle sees,
// far less than the mean for Rayleigh scatter of heavy elements at large angles.
double XrayRayleighAt(int z, double eKeV, double angleDeg);
double XrayComptonAt(int z, double eKeV, double angleDeg);
// Fluorescence production cross-section of a line (all its members) at an excitation eKeV,
// cascade effects included.
double XrayLineCrossSection(int z, const XrayLine& line, double eKeV);

}  // namespace tavlex
