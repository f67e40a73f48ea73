// The engine values the views show. Every engine header that a views header needs
// comes in through here, so that a move of the engine's folders touches this file
// (and the renderer's and the raw view's sources) only.
#pragma once

#include "core/ConversionOptions.h"
#include "core/ConversionResult.h"
#include "core/DocElement.h"
#include "core/DocLabel.h"
#include "core/LayoutRegion.h"
#include "core/TableStructure.h"
