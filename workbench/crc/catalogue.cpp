#include "workbench/crc/catalogue.h"

namespace {
#include "workbench/crc/catalogue_table.inc"
}  // namespace

TableView<CrcModel> CrcCatalogue() { return {kModels, sizeof kModels / sizeof kModels[0]}; }

TableView<CrcFormerName> CrcFormerNames() { return {kFormerNames, sizeof kFormerNames / sizeof kFormerNames[0]}; }
