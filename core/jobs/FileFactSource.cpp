#include "jobs/FileFactSource.h"

#include "facts/FactCoding.h"

namespace qz {

namespace {

std::unique_ptr<FactStore> OpenStore(const CachePlace& place, const DateLocale& locale) {
    if (place.path.empty()) {
        return nullptr;
    }
    if (place.owned) {
        CreateCacheFolderFor(place.path);  // a failure is the store's to tell
    }
    FactStoreOptions options;
    options.localeKey = LocaleKey(locale);
    options.ownsPath = place.owned;
    return std::make_unique<FactStore>(place.path, std::move(options));
}

}  // namespace

FileFactSource::FileFactSource(const CachePlace& place, const DateLocale& locale)
    : m_store(OpenStore(place, locale)), m_cached(m_store.get(), locale) {}

FileFactSource::~FileFactSource() = default;

bool FileFactSource::Read(const std::string& path, FileProgress& progress, FileFactCount& count) {
    return m_cached.Count(path, progress, count);
}

std::string FileFactSource::Finish(bool cancelled) {
    m_cached.Save(cancelled);
    return m_store != nullptr ? m_store->WhyNotUsed() : std::string();
}

}  // namespace qz
