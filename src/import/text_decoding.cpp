#include "import/text_decoding.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <memory>

namespace tamrel {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

struct CloseIconv {
  void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};

int lineAt(std::string_view bytes, std::size_t at) {
  return 1 + static_cast<int>(std::ranges::count(bytes.substr(0, at), '\n'));
}

// Every character of CP932 is in the Basic Multilingual Plane: at most
// three bytes of UTF-8 for each byte read.
constexpr std::size_t kGrowth = 3;

std::variant<ImportText, ImportRefusal> fromShiftJis(std::string_view bytes) {
  // The file's limits hold for its own bytes, checked before converting: a
  // larger file is refused anyway, and converting it first would only make
  // the user wait.
  if (auto refusal = checkImportLimits(bytes)) return *refusal;
  const iconv_t opened = iconv_open("UTF-8", "CP932");
  if (opened == reinterpret_cast<iconv_t>(-1)) {
    return ImportRefusal{0, "この環境ではShift_JISを読めません"};
  }
  const std::unique_ptr<void, CloseIconv> cd(opened);
  std::string out(bytes.size() * kGrowth, '\0');
  // iconv's signature takes the input as non-const; it never writes there.
  char* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size();
  char* to = out.data();
  std::size_t toLeft = out.size();
  if (iconv(opened, &in, &inLeft, &to, &toLeft) == static_cast<std::size_t>(-1)) {
    // EILSEQ: no character of CP932; EINVAL: a lead byte at the very end.
    const auto at = static_cast<std::size_t>(in - bytes.data());
    return ImportRefusal{lineAt(bytes, at), "Shift_JISとして読めない文字があります"};
  }
  out.resize(out.size() - toLeft);
  return ImportText{std::move(out), {kImportMaxBytes * kGrowth, kImportMaxLine * kGrowth}};
}

}  // namespace

std::variant<ImportText, ImportRefusal> decodeImportText(std::string_view bytes,
                                                         ImportDecoding choice) {
  bool shiftJis = choice == ImportDecoding::ShiftJis;
  if (choice == ImportDecoding::Auto) {
    const auto sniffed = sniffImport(bytes);
    if (const auto* refusal = std::get_if<ImportRefusal>(&sniffed)) return *refusal;
    shiftJis = std::get<ImportEncoding>(sniffed) == ImportEncoding::ShiftJis;
  }
  if (shiftJis) return fromShiftJis(bytes);
  if (bytes.starts_with(kBom)) bytes.remove_prefix(kBom.size());
  return ImportText{std::string(bytes), {}};
}

}  // namespace tamrel
