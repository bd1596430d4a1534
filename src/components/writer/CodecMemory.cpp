#include "CodecMemory.h"

#include <map>
#include <mutex>

namespace {
struct Store {
    std::mutex mutex;
    std::map<QString, CodecChoice> choices;
};
Store& store()
{
    static Store s;
    return s;
}
} // namespace

std::optional<CodecChoice> CodecMemory::kept(const QString& name)
{
    std::lock_guard lock(store().mutex);
    const auto it = store().choices.find(name);
    if (it == store().choices.end())
        return std::nullopt;
    return it->second;
}

void CodecMemory::keep(const QString& name, const CodecChoice& choice)
{
    std::lock_guard lock(store().mutex);
    store().choices[name] = choice;
}

void CodecMemory::forget(const QString& name)
{
    std::lock_guard lock(store().mutex);
    store().choices.erase(name);
}
