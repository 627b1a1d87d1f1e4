// Reference list loading and lookup, and the three questions the host asks
// while the operator types: CheckCall0, GetExchgCount0 and IsValidExchg0.
#include "plugin/reference_list.h"

#include <algorithm>
#include <cstring>

#include "plugin/entry_points.h"
#include "plugin/module_state.h"

namespace zelk {

std::vector<std::string> SplitReferencePieces(std::string_view content) {
    std::vector<std::string> pieces;
    std::size_t pos = 0;
    while (pos < content.size()) {
        std::size_t length = std::min(kReferencePiece, content.size() - pos);
        const std::size_t lineFeed = content.substr(pos, length).find('\n');
        if (lineFeed != std::string_view::npos) {
            length = lineFeed + 1;
        }
        // A piece is read into a character buffer, so it ends at a zero byte.
        std::string_view piece = content.substr(pos, length);
        piece = piece.substr(0, piece.find('\0'));
        pieces.emplace_back(piece);
        pos += length;
    }
    return pieces;
}

bool LoadReferenceList(ModuleState& state) {
    state.g_refList.clear();
    std::optional<std::string> content = state.platform().ReadTextFile(kReferenceFileName);
    if (!content) {
        return false;
    }
    state.g_refList = SplitReferencePieces(*content);
    return true;
}

std::string LookupReference(const std::vector<std::string>& list, std::string_view call) {
    for (const std::string& entry : list) {
        const std::size_t blank = entry.find(' ');
        const std::string_view key = blank == std::string::npos
                                         ? std::string_view()
                                         : std::string_view(entry).substr(0, blank);
        if (key == call) {
            return blank == std::string::npos ? entry : entry.substr(blank + 1);
        }
    }
    return std::string(kNoReference);
}

int CheckCall0(ModuleState& state, std::string_view call, std::string_view mode,
               std::string_view group, const char* wantReference, char* referenceBuffer) {
    if (state.g_qsoLog.FindByKey(call, mode, group)) {
        return 0;
    }
    const std::string text = LookupReference(state.g_refList, call);
    if (wantReference != nullptr && referenceBuffer != nullptr && text != kNoReference) {
        const std::size_t length = std::min(text.size(), kReferenceBufferSize - 1);
        std::memcpy(referenceBuffer, text.data(), length);
        referenceBuffer[length] = '\0';
    }
    return 1;
}

int GetExchgCount0() {
    return 1;
}

int IsValidExchg0(std::string_view exchange, int invalid) {
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    return invalid == 0 && exchange.size() == 5 && digit(exchange[0]) && digit(exchange[1]) &&
                   digit(exchange[2]) && letter(exchange[3]) && letter(exchange[4])
               ? 1
               : 0;
}

}  // namespace zelk
