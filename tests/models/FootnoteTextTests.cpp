#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "models/FootnoteText.h"
#include "models/DetectionFixtures.h"

using namespace ce;
using ce::testing::addLine;
using ce::testing::detection;

namespace {

// The recognised lines of the scanned invoice sample: the sender, the customer, the
// item table (rows spread over the page's width) and the payment terms at the bottom.
std::vector<TextCell> invoiceLines() {
    std::vector<TextCell> lines;
    addLine(lines, "Calle de la Paz, 14 - 46003 Valencia - CIF: B-46123987 - Tel. 963 52 18 40", {61.7, 82.3, 395.3, 91.0}, true);
    addLine(lines, "N.\u00b0 de factura: 2025-0417", {62.0, 164.7, 176.3, 172.3}, true);
    addLine(lines, "Fecha: 12 de marzo de 2025", {62.0, 181.0, 190.0, 188.7}, true);
    addLine(lines, "Vencimiento: 11 de abril de 2025", {61.7, 197.0, 207.0, 205.0}, true);
    addLine(lines, "Comunidad de Propietarios Jardines del Turia", {62.0, 265.3, 266.0, 275.0}, true);
    addLine(lines, "Avenida de Arag\u00f3n, 30", {61.7, 280.3, 163.0, 290.0}, true);
    addLine(lines, "Descripci\u00f3n Cantidad Precio unitario Importe", {69.3, 359.0, 534.0, 371.7}, true);
    addLine(lines, "Mantenimiento anual de climatizaci\u00f3n 1,00 480,00 \u20ac 480,00 \u20ac", {69.3, 383.0, 534.0, 398.7}, true);
    addLine(lines, "Sustituci\u00f3n de filtros HEPA 6,00 35,50 \u20ac 213,00 \u20ac", {69.3, 407.3, 534.0, 416.0}, true);
    addLine(lines, "Desplazamiento del t\u00e9cnico 2,00 25,00 \u20ac 50,00 \u20ac", {69.7, 454.0, 534.0, 463.7}, true);
    addLine(lines, "Forma de pago", {62.0, 613.0, 137.0, 623.3}, true);
    addLine(lines, "Transferencia bancaria antes de la fecha de vencimiento.", {61.7, 632.7, 316.7, 640.3}, true);
    addLine(lines, "IBAN: ES91 2100 0418 4502 0005 1332", {62.3, 648.3, 241.0, 655.7}, true);
    addLine(lines, "Indique el n\u00famero de factura en el concepto.", {62.3, 663.3, 260.3, 673.3}, true);
    addLine(lines, "Gracias por confiar en nosotros.", {62.0, 695.0, 204.3, 704.7}, true);
    return lines;
}

}  // namespace

// The invoice's payment terms, in the type of the rest of the page, are text, whether
// its lines are recognised or come from a text layer; the item table's widely spaced
// rows do not count as the page's type.
TEST(FootnoteText, FootnotesInBodyTypeAreText) {
    for (const bool fromOCR : {true, false}) {
        SCOPED_TRACE(fromOCR ? "Recognised" : "TextLayer");
        std::vector<TextCell> lines = invoiceLines();
        for (TextCell& line : lines) line.fromOCR = fromOCR;
        const std::vector<Cluster> detections = {
            detection(0, DocLabel::table, {66.3, 356.3, 539.4, 505.6}, 0.91),
            detection(1, DocLabel::footnote, {57.9, 660.8, 251.1, 674.6}, 0.57),
            detection(2, DocLabel::footnote, {46.6, 630.6, 327.5, 644.8}, 0.53),
            detection(3, DocLabel::footnote, {57.4, 692.0, 206.0, 705.6}, 0.50),
        };
        const std::vector<Cluster> corrected = FootnoteText::relabelled(detections, lines);
        ASSERT_EQ(corrected.size(), detections.size());
        EXPECT_EQ(corrected[0].label, DocLabel::table);
        for (std::size_t k = 1; k < corrected.size(); ++k) EXPECT_EQ(corrected[k].label, DocLabel::text) << "detection " << k;
    }
}

// Notes in smaller type, notes that open with their mark, and pages with too little
// other text to tell the body's type stay footnotes.
TEST(FootnoteText, RealFootnotesStay) {
    struct Case {
        std::string name;
        std::string note;
        double noteWidth;  // of the note's line, in points
        int bodyLines;
    };
    // Body lines of 60 characters over 300 points: 5 points per character.
    const std::vector<Case> cases = {
        {"SmallerType", "Figures for 2024 are restated to include the Hallvik warehouse.", 252, 6},
        {"OpensWithNumber", "1 A row header indented below a bold one belongs to its group.", 310, 6},
        {"OpensWithAsterisk", "* Prices include value added tax at the rate of the sale date.", 310, 6},
        {"OpensWithSuperscript", "\u00b2 The threshold was chosen on a separate set of 200 tables.", 300, 6},
        {"OpensWithBracketedNumber", "[3] Our detector joins tables whose gap is narrower than a line.", 320, 6},
        {"TooLittleOtherText", "Gracias por confiar en nosotros y hasta el proximo pedido, amigos.", 330, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<TextCell> lines;
        for (int i = 0; i < c.bodyLines; ++i) {
            const double top = 100 + 14.0 * i;
            addLine(lines, std::string(59, 'x') + ".", {72, top, 372, top + 10}, false);
        }
        addLine(lines, c.note, {72, 700, 72 + c.noteWidth, 710}, false);
        const std::vector<Cluster> detections = {detection(0, DocLabel::footnote, {70, 698, 540, 712}, 0.8)};
        EXPECT_EQ(FootnoteText::relabelled(detections, lines).front().label, DocLabel::footnote);
    }
}
