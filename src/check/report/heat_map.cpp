#include "check/report/heat_map.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "check/judgement/fairness.h"
#include "check/work/counts.h"
#include "draw/layout.h"

namespace pivra {
namespace {

constexpr int CellWidth = 10;
constexpr int CellHeight = 24;
constexpr int Left = 60;  // room for the set labels
constexpr int Top = 70;   // room for the title
constexpr int MapWidth = static_cast<int>(RowLength) * CellWidth;
constexpr int MapHeight = static_cast<int>(SetsPerBlock) * CellHeight;
constexpr int Width = Left + MapWidth + 20;
constexpr int Height = Top + MapHeight + 90;  // the number axis and the legend below
constexpr double Clip = 3.0;                  // residuals beyond +-3 get the end colours

struct Rgb {
  double r, g, b;
};
constexpr Rgb Low{33, 102, 172};   // blue: fewer than expected
constexpr Rgb Mid{247, 247, 247};  // near white: as expected
constexpr Rgb High{178, 24, 43};   // red: more than expected

// The whole text, however long: a cut-off piece would break the picture.
template <typename... Args>
std::string Format(const char* format, Args... args) {
  const int length = std::snprintf(nullptr, 0, format, args...);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  (void)std::snprintf(text.data(), text.size(), format, args...);
  text.pop_back();
  return text;
}

std::string Colour(double residual) {
  const double t = std::clamp(residual / Clip, -1.0, 1.0);
  const Rgb& end = t < 0 ? Low : High;
  const double w = t < 0 ? -t : t;
  const auto mix = [w](double from, double to) {
    return static_cast<int>(std::lround(from + (to - from) * w));
  };
  return Format("#%02x%02x%02x", mix(Mid.r, end.r), mix(Mid.g, end.g), mix(Mid.b, end.b));
}

std::string Verdict(const TestResult& test) {
  if (!test.judged) return "sample too small to judge";
  return Format("&#967;&#178; = %.2f, df = %.0f, p = %.4g: %s at &#945; = %g", test.statistic,
                test.freedom, test.p, Flagged(test) ? "FLAGGED" : "no sign of unfairness",
                FairnessAlpha);
}

}  // namespace

std::string HeatMapSvg(const FairnessCounts& counts, const FairnessReport& report) {
  std::string svg = Format(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" "
      "viewBox=\"0 0 %d %d\" font-family=\"sans-serif\" font-size=\"12\">\n"
      "<title>Number by set position: standardized residuals</title>\n"
      "<rect width=\"100%%\" height=\"100%%\" fill=\"white\"/>\n",
      Width, Height, Width, Height);
  svg += Format(
      "<text x=\"%d\" y=\"24\" font-size=\"15\">Number by set position, %llu blocks: "
      "standardized residuals (C &#8722; E) / &#8730;E</text>\n",
      Left, static_cast<unsigned long long>(report.blocks));
  svg += Format("<text x=\"%d\" y=\"46\">%s</text>\n", Left, Verdict(report.by_set).c_str());

  const double expected = static_cast<double>(counts.blocks) / SetsPerBlock;
  for (unsigned s = 0; s < SetsPerBlock; ++s) {
    const int y = Top + static_cast<int>(s) * CellHeight;
    svg += Format("<text x=\"%d\" y=\"%d\" text-anchor=\"end\">set %u</text>\n", Left - 6,
                  y + CellHeight / 2 + 4, s + 1);
    for (unsigned n = 1; n <= RowLength; ++n) {
      const double residual = BySetResidual(counts, n, s);
      svg += Format(
          "<rect x=\"%d\" y=\"%d\" width=\"%d\" height=\"%d\" fill=\"%s\"><title>number %u in "
          "set %u: %llu blocks, %.1f expected, residual %.2f</title></rect>\n",
          Left + static_cast<int>(n - 1) * CellWidth, y, CellWidth, CellHeight,
          Colour(residual).c_str(), n, s + 1,
          static_cast<unsigned long long>(counts.by_set[n - 1][s]), expected, residual);
    }
  }

  const int axis = Top + MapHeight + 16;
  for (unsigned n = 1; n <= RowLength; ++n) {
    if (n != 1 && n % 10 != 0) continue;
    svg += Format("<text x=\"%d\" y=\"%d\" text-anchor=\"middle\">%u</text>\n",
                  Left + static_cast<int>(n - 1) * CellWidth + CellWidth / 2, axis, n);
  }
  svg += Format("<text x=\"%d\" y=\"%d\" text-anchor=\"middle\">number</text>\n",
                Left + MapWidth / 2, axis + 18);

  // The legend: the same two-segment scale as a gradient, blue through white to red.
  const int legend = axis + 38;
  svg += Format(
      "<defs><linearGradient id=\"scale\"><stop offset=\"0\" stop-color=\"%s\"/>"
      "<stop offset=\"0.5\" stop-color=\"%s\"/><stop offset=\"1\" stop-color=\"%s\"/>"
      "</linearGradient></defs>\n"
      "<rect x=\"%d\" y=\"%d\" width=\"240\" height=\"12\" fill=\"url(#scale)\"/>\n"
      "<text x=\"%d\" y=\"%d\" text-anchor=\"middle\">&#8722;3</text>\n"
      "<text x=\"%d\" y=\"%d\" text-anchor=\"middle\">0</text>\n"
      "<text x=\"%d\" y=\"%d\" text-anchor=\"middle\">+3</text>\n"
      "<text x=\"%d\" y=\"%d\">residual: blue fewer than expected, red more; beyond "
      "&#177;3 clipped</text>\n",
      Colour(-Clip).c_str(), Colour(0).c_str(), Colour(Clip).c_str(), Left, legend, Left,
      legend + 26, Left + 120, legend + 26, Left + 240, legend + 26, Left + 260, legend + 10);
  svg += "</svg>\n";
  return svg;
}

}  // namespace pivra
