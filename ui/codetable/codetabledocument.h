#pragma once

class QTextDocument;

namespace codetable {

// Replaces the content of document with the code table reference: the source
// line, the heading, the table of codes 0 to 255 in four sections and the two
// notes. Lengths fixed in twips become pixels at the given logical DPI.
void fillCodeTableDocument(QTextDocument &document, double dpi);

} // namespace codetable
