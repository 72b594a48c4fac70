#pragma once
// Renders the report page model with Qt's painter: as PDF (headless as well, on Qt's offscreen
// platform) and onto any paint device (the print preview and the printer use the same drawing).
//
// Requires a QGuiApplication in the process (ensureGuiApplication makes one for headless tools).

#include "runtime/report/page_renderer.h"

class QPainter;

namespace trv::gui {

class PdfRenderer final : public report::PageRenderer {
 public:
  bool writePdf(const report::Document& document, const std::filesystem::path& file,
                std::string* error) override;
};

// Draws one page; `dotsPerInch` is the device's resolution.
void drawPage(QPainter& painter, const report::Page& page, double dotsPerInch);

// Makes a QGuiApplication on the offscreen platform when the process has none (tools, tests).
void ensureGuiApplication();

}  // namespace trv::gui
