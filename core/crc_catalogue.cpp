#include "core/crc_catalogue.h"

namespace {
#include "core/crc_catalogue_table.inc"
}  // namespace

TableView<CrcModel> CrcCatalogue() { return {kModels, sizeof kModels / sizeof kModels[0]}; }

TableView<CrcFormerName> CrcFormerNames() { return {kFormerNames, sizeof kFormerNames / sizeof kFormerNames[0]}; }
