#include "catalogue/change_watch_plan.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>

namespace novaflux::catalogue_io {

namespace {

std::string join(const std::string& dir, const std::string& name) {
  return dir == "/" ? "/" + name : dir + "/" + name;
}

std::string parent_of(const std::string& dir) {
  const auto slash = dir.rfind('/');
  return slash == 0 || slash == std::string::npos ? std::string("/") : dir.substr(0, slash);
}

// Pushes the components of a path on a stack, the first one on top.
void push_components(std::vector<std::string>& stack, const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    const auto slash = path.find('/', start);
    const auto end = slash == std::string::npos ? path.size() : slash;
    if (end > start) parts.push_back(path.substr(start, end - start));
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  for (auto it = parts.rbegin(); it != parts.rend(); ++it) stack.push_back(std::move(*it));
}

}  // namespace

WatchPlan plan_watch(const std::string& path, const std::string& real_path) {
  WatchPlan plan;
  if (!path.empty() && path.front() == '/') {
    std::vector<std::string> todo;
    push_components(todo, path);
    std::string dir = "/";
    int links = 0;
    while (!todo.empty()) {
      const std::string name = std::move(todo.back());
      todo.pop_back();
      if (name == ".") continue;
      if (name == "..") {
        dir = parent_of(dir);
        continue;
      }
      plan.names.push_back({dir, name});
      const std::string next = join(dir, name);
      struct stat st;
      if (::lstat(next.c_str(), &st) != 0) break;
      if (S_ISLNK(st.st_mode)) {
        char target[PATH_MAX];
        const ssize_t n = ::readlink(next.c_str(), target, sizeof target);
        if (++links > 40 || n <= 0 || n >= static_cast<ssize_t>(sizeof target)) break;
        if (target[0] == '/') dir.assign(1, '/');  // not = "/": a false -Wrestrict of g++ 12
        push_components(todo, std::string(target, static_cast<size_t>(n)));
        continue;
      }
      if (todo.empty()) {
        if (!S_ISREG(st.st_mode)) break;
        plan.names.push_back({dir, name + "-wal"});
        plan.covers_path = true;
        plan.key = path;
        return plan;
      }
      dir = next;
    }
  }
  plan.names.clear();
  const auto slash = real_path.rfind('/');
  const std::string dir = slash == std::string::npos ? std::string(".")
                          : slash == 0               ? std::string("/")
                                                     : real_path.substr(0, slash);
  const std::string base = slash == std::string::npos ? real_path : real_path.substr(slash + 1);
  plan.names = {{dir, base}, {dir, base + "-wal"}};
  plan.key = "\n" + real_path;
  return plan;
}

}  // namespace novaflux::catalogue_io
