#pragma once
// Change notifications for catalogue paths: one inotify instance for the process, a watch per
// catalogue path shared by every thread that reads it.
#include <cstdint>
#include <memory>
#include <string>

#include "catalogue/catalogue.hpp"
#include "catalogue/catalogue_file.hpp"

namespace novaflux::catalogue_io {

struct ChangeWatch;

// The watch of a catalogue path (as given, and resolved); null when notifications are not
// available for it.
std::shared_ptr<ChangeWatch> attach_watch(const std::string& path, const std::string& real_path);
// True when no watched name changed since the watch stood at `generation`.
bool watch_unchanged(ChangeWatch& w, uint64_t generation) noexcept;
uint64_t watch_generation(ChangeWatch& w);
// True when the watch covers every directory and link of the path, so no stat is needed.
bool watch_covers_path(const ChangeWatch& w) noexcept;
// The snapshot another thread loaded through this watch, when nothing changed since.
std::shared_ptr<const Catalogue> shared_snapshot(ChangeWatch& w, uint64_t generation,
                                                 const FileIdentity& file);
void offer_snapshot(ChangeWatch& w, uint64_t generation, const FileIdentity& file,
                    const std::shared_ptr<const Catalogue>& snapshot);

// The path with every symbolic link resolved; the path itself when it does not resolve.
std::string resolved(const std::string& path);

}  // namespace novaflux::catalogue_io
