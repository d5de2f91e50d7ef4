#include "platform/locale.h"

#include <string>

namespace veyra {
namespace {

struct LocaleRow {
  std::string_view name;  // "ll_CC" or "ll" (language alone)
  uint32_t lcid;
};

// Chinese regions first: they decide the display language. The rest covers common languages so
// that a non-Chinese system is never mistaken for a Chinese one.
constexpr LocaleRow kLocales[] = {
    {"zh_TW", 0x0404}, {"zh_HK", 0x0C04}, {"zh_CN", 0x0804}, {"zh_SG", 0x1004}, {"zh_MO", 0x1404},
    {"zh", 0x0804},    {"en_US", 0x0409}, {"en_GB", 0x0809}, {"en_AU", 0x0C09}, {"en_CA", 0x1009},
    {"en", 0x0409},    {"ja_JP", 0x0411}, {"ja", 0x0411},    {"ko_KR", 0x0412}, {"ko", 0x0412},
    {"de_DE", 0x0407}, {"de", 0x0407},    {"fr_FR", 0x040C}, {"fr", 0x040C},    {"es_ES", 0x0C0A},
    {"es", 0x0C0A},    {"it_IT", 0x0410}, {"it", 0x0410},    {"pt_BR", 0x0416}, {"pt_PT", 0x0816},
    {"pt", 0x0816},    {"ru_RU", 0x0419}, {"ru", 0x0419},    {"nl_NL", 0x0413}, {"nl", 0x0413},
    {"th_TH", 0x041E}, {"th", 0x041E},    {"vi_VN", 0x042A}, {"vi", 0x042A},    {"id_ID", 0x0421},
    {"id", 0x0421},
};

uint32_t Lookup(std::string_view key) {
  for (const auto& row : kLocales) {
    if (row.name == key) return row.lcid;
  }
  return 0;
}

}  // namespace

uint32_t LcidFromLocaleName(std::string_view name) {
  // Drop ".codeset" and "@modifier": "zh_TW.UTF-8@euro" -> "zh_TW".
  size_t cut = name.find_first_of(".@");
  if (cut != std::string_view::npos) name = name.substr(0, cut);
  if (name.empty() || name == "C" || name == "POSIX") return 0;
  if (uint32_t lcid = Lookup(name)) return lcid;
  size_t underscore = name.find('_');
  if (underscore != std::string_view::npos) return Lookup(name.substr(0, underscore));
  return 0;
}

}  // namespace veyra
