#include "core/Failure.h"

namespace mayorin::core {

void throwOverflow() { throw Failure(kOverflow, "オーバーフローしました。"); }

void throwSubscript() { throw Failure(kSubscript, "インデックスが有効範囲にありません。"); }

void throwFileAccess(const std::string& detail) {
    throw Failure(kFileAccess, "パス名またはファイル名が無効です。" + (detail.empty() ? "" : " (" + detail + ")"));
}

} // namespace mayorin::core
