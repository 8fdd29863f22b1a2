#include "workbench/frames/check_method.h"

#include <cctype>

#include "workbench/crc/catalogue.h"
#include "workbench/crc/check_values.h"
#include "workbench/crc/byte_table.h"
#include "workbench/crc/model_text.h"
#include "workbench/crc/resolve.h"
#include "i18n/translate.h"

namespace {

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

}  // namespace

CheckMethod CheckMethod::OfCrc(const CrcParams& params, std::string name) {
    CheckMethod method;
    method.name_ = std::move(name);
    method.width_ = params.width;
    method.params_ = params;
    method.engine_ = std::make_shared<const CrcByteTable>(params);
    return method;
}

CheckMethod CheckMethod::OfSum(const SumCheck& sum) {
    CheckMethod method;
    method.name_ = std::string(sum.name);
    method.width_ = sum.width;
    method.sum_ = sum.kind;
    return method;
}

std::vector<CheckMethod> CheckMethod::AllNamed() {
    std::vector<CheckMethod> methods;
    methods.reserve(CrcCatalogue().size() + std::size(kSumChecks));
    for (const CrcModel& model : CrcCatalogue()) methods.push_back(OfCrc(model.params, std::string(model.name)));
    for (const SumCheck& sum : kSumChecks) methods.push_back(OfSum(sum));
    return methods;
}

std::string CheckMethod::Label() const {
    if (!name_.empty()) return name_;
    const CrcModel model = DescribeCrc(params_);
    const int width = params_.width;
    return FormatCrcParams(params_) + " check=" + CrcCatalogueNumber(model.check, width) +
           " residue=" + CrcCatalogueNumber(model.residue, width);
}

CheckMethod::Register CheckMethod::Start() const {
    Register reg;
    if (engine_) {
        reg.crc = engine_->Start();
    } else {
        reg.sum = SumStart(sum_);
    }
    return reg;
}

CheckMethod::Register CheckMethod::Update(Register reg, const unsigned char* data, std::size_t size) const {
    if (engine_) {
        reg.crc = engine_->Update(reg.crc, data, size);
    } else {
        reg.sum = SumUpdate(sum_, reg.sum, data, size);
    }
    return reg;
}

Uint128 CheckMethod::Finish(const Register& reg) const {
    return engine_ ? engine_->Finish(reg.crc) : Uint128{SumFinish(sum_, reg.sum)};
}

bool ResolveCheckMethod(std::string_view text, CheckMethod& method, std::string& note, std::string& error) {
    note.clear();
    error.clear();
    for (const SumCheck& sum : kSumChecks) {
        if (SameName(sum.name, text)) {
            method = CheckMethod::OfSum(sum);
            return true;
        }
    }
    // Two checks go by this name; which one a device means is the user's
    // to say, not ours to guess.
    if (SameName("LRC", text)) {
        error = i18n::Tr("\"LRC\" names two checks: Modbus ASCII's is SUM-8/TWOS (the sum's two's complement), "
                         "ISO 1155's is XOR-8; give the one the device uses");
        return false;
    }
    ResolvedCrc resolved;
    if (!ResolveCrc(text, resolved, error)) {
        if (text.find('=') == std::string_view::npos) {
            std::string sums;
            for (const SumCheck& sum : kSumChecks) sums += (sums.empty() ? "" : " ") + std::string(sum.name);
            error += "\n" + i18n::Format(i18n::Tr("the sums: %1$s"), {sums});
        }
        return false;
    }
    method = CheckMethod::OfCrc(resolved.params, resolved.name);
    note = resolved.note;
    return true;
}
