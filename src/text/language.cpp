#include "text/language.h"

#include "platform/locale.h"
#include "text/cvcode.h"

namespace veyra {
namespace {

constexpr uint32_t kEnglishUnitedStates = 0x0409;
constexpr uint32_t kChinese = 4;
constexpr uint32_t kTaiwan = 1;
constexpr uint32_t kHongKong = 3;

uint32_t EffectiveLcid(uint32_t lcid) {
  return lcid == 0 ? kEnglishUnitedStates : lcid;
}

uint32_t PrimaryLanguage(uint32_t lcid) {
  return EffectiveLcid(lcid) & 0x3FF;
}

uint32_t SubLanguage(uint32_t lcid) {
  return (EffectiveLcid(lcid) & 0xFFFF) >> 10;
}

}  // namespace

bool IsTraditionalLocale(uint32_t lcid) {
  if (PrimaryLanguage(lcid) != kChinese) return false;
  const uint32_t sub = SubLanguage(lcid);
  return sub == kTaiwan || sub == kHongKong;
}

bool IsTraditionalLocale() {
  return IsTraditionalLocale(SystemLcid());
}

std::string GetLanguageCode(uint32_t lcid) {
  if (IsTraditionalLocale(lcid)) return "t";
  if (PrimaryLanguage(lcid) == kChinese) return "s";
  return "n";
}

std::string GetLanguageCode() {
  return GetLanguageCode(SystemLcid());
}

char ArtSuffix(std::string_view language_code) {
  return language_code == "s" ? 's' : 'c';
}

std::string LocalizedText(std::string_view language_code, std::string_view big5,
                          std::string_view english) {
  if (language_code == "t") return std::string(big5);
  if (language_code == "s") return Big5ToGB(big5);
  return std::string(english);
}

}  // namespace veyra
