// Choosing the text cells ("tokens") that table matching distributes over a
// table's predicted cells.
#pragma once

#include <vector>

#include "core/Cluster.h"
#include "core/ConverterOptions.h"
#include "core/TextCell.h"

namespace ce::TableTokenChoice {

// Text-layer pages use their words whatever `choice` says; recognised pages use the
// words or segments `choice` names. Cells that lie more than 80 % inside the table box
// are kept; when none is (or `choice` is lines on a recognised page) the cluster's own
// cells whose text is not blank after trimming spaces and tabs are the tokens.
std::vector<TextCell> tableTokens(const Cluster& table, const std::vector<TextCell>& words,
                                  const std::vector<TextCell>& segments, bool fromTextLayer,
                                  TableTokens choice);

}  // namespace ce::TableTokenChoice
