#include "settings/settings_schema.h"

#include <algorithm>

#include "platform/cp932.h"
#include "settings/settings.h"

namespace kelvora {
namespace {

constexpr long long kIntMin = -2147483647LL - 1;
constexpr long long kIntMax = 2147483647LL;

long long ClampToInt(long long v) {
  return std::clamp(v, kIntMin, kIntMax);
}

// The number as stored, or what a missing or unreadable key reads as: the default, except for
// kPositive where it reads as 0 so that loading writes the default.
long long StoredValue(const SettingsStore& store, const IntKey& key, std::string_view name) {
  const long long missing = key.rule == IntRule::kPositive ? 0 : key.fallback;
  return store.ini().ReadInt(key.section, name, missing);
}

long long Normalise(const IntKey& key, long long v) {
  switch (key.rule) {
    case IntRule::kStored:
      return ClampToInt(v);
    case IntRule::kOnOff:
      return v == 1 ? 1 : 0;
    case IntRule::kInRange:
      return v < key.min || v > key.max ? key.fallback : v;
    case IntRule::kPositive:
      return ClampToInt(v) <= 0 ? key.fallback : ClampToInt(v);
    case IntRule::kColor:
      return v & 0xFFFFFFFFLL;
    case IntRule::kByte:
      return v & 0xFF;
    case IntRule::kOneOf:
      return v == key.min || v == key.mid || v == key.max ? v : key.fallback;
    case IntRule::kClamped:
      return std::clamp(v, key.min, key.max);
  }
  return v;
}

std::string StoredText(const SettingsStore& store, const TextKey& key, std::string_view name) {
  if (key.store == StoreKind::kUser)
    return store.user().ReadStringValue(key.section, name).value_or(std::string());
  // An empty value takes the default under kDefaultWhenEmpty, so a missing key reads as empty
  // and loading writes the default; otherwise a missing key reads as the default.
  if (key.rule == TextRule::kDefaultWhenEmpty) return store.ini().ReadString(key.section, name);
  return store.ini().ReadString(key.section, name, DefaultText(key));
}

std::string Normalise(const TextKey& key, std::string text) {
  switch (key.rule) {
    case TextRule::kStored:
      return text;
    case TextRule::kDefaultWhenEmpty:
      return text.empty() ? DefaultText(key) : text;
    case TextRule::kHeaderWords:
      return TrimHeaderWords(text);
  }
  return text;
}

bool Write(SettingsStore& store, const TextKey& key, std::string_view name,
           std::string_view value) {
  if (key.store == StoreKind::kUser) return store.user().WriteStringValue(key.section, name, value);
  return store.WriteString(key.section, name, value);
}

}  // namespace

std::string NumberedKey(std::string_view prefix, int n) {
  return std::string(prefix) + std::to_string(n);
}

long long ReadValue(const SettingsStore& store, const IntKey& key) {
  return Normalise(key, StoredValue(store, key, key.key));
}

long long ReadValue(const SettingsStore& store, const IntKey& family, int n) {
  return Normalise(family, StoredValue(store, family, NumberedKey(family.key, n)));
}

int ReadInt(const SettingsStore& store, const IntKey& key) {
  return static_cast<int>(ClampToInt(ReadValue(store, key)));
}

int ReadInt(const SettingsStore& store, const IntKey& family, int n) {
  return static_cast<int>(ClampToInt(ReadValue(store, family, n)));
}

std::uint32_t ReadColor(const SettingsStore& store, const IntKey& key) {
  return static_cast<std::uint32_t>(ReadValue(store, key) & 0xFFFFFFFFLL);
}

std::uint32_t ReadColor(const SettingsStore& store, const IntKey& family, int n) {
  return static_cast<std::uint32_t>(ReadValue(store, family, n) & 0xFFFFFFFFLL);
}

std::string ReadText(const SettingsStore& store, const TextKey& key) {
  return Normalise(key, StoredText(store, key, key.key));
}

std::string ReadText(const SettingsStore& store, const TextKey& family, int n) {
  return Normalise(family, StoredText(store, family, NumberedKey(family.key, n)));
}

std::string DefaultText(const TextKey& key) {
  return Utf8ToCp932(key.fallback_utf8);
}

bool HasKey(const SettingsStore& store, const TextKey& family, int n) {
  const std::string name = NumberedKey(family.key, n);
  if (family.store == StoreKind::kUser)
    return store.user().ReadStringValue(family.section, name).has_value();
  return store.ini().HasKey(family.section, name);
}

int LoadInt(SettingsStore& store, const IntKey& key) {
  const long long stored = StoredValue(store, key, key.key);
  const long long value = Normalise(key, stored);
  if (key.write_back && value != ClampToInt(stored)) store.WriteInt(key.section, key.key, value);
  return static_cast<int>(ClampToInt(value));
}

std::string LoadText(SettingsStore& store, const TextKey& key) {
  std::string stored = StoredText(store, key, key.key);
  std::string value = Normalise(key, stored);
  if (key.write_back && value != stored) Write(store, key, key.key, value);
  return value;
}

bool WriteValue(SettingsStore& store, const IntKey& key, long long value) {
  return store.WriteInt(key.section, key.key, value);
}

bool WriteValue(SettingsStore& store, const IntKey& family, int n, long long value) {
  return store.WriteInt(family.section, NumberedKey(family.key, n), value);
}

bool WriteText(SettingsStore& store, const TextKey& key, std::string_view value) {
  return Write(store, key, key.key, value);
}

bool WriteText(SettingsStore& store, const TextKey& family, int n, std::string_view value) {
  return Write(store, family, NumberedKey(family.key, n), value);
}

}  // namespace kelvora
