// The preference store: parsing and atomic rewriting of the preference file, the
// process-wide cache behind a mutex (UI and host threads) and the lock-free mirrors of the
// values the audio thread reads or learns.

#include "platform/prefs.h"

#include "platform/strings.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

const char* const PREF_PATH_CSTR = "com.VMQX.ZEK2";

static_assert(std::atomic<int>::is_always_lock_free, "the audio thread needs lock-free ints");
static_assert(std::atomic<bool>::is_always_lock_free, "the audio thread needs lock-free flags");

namespace {

constexpr const char* kVendorFolder = "VMQX";
// A preference file is a few kilobytes; anything far larger is not ours.
constexpr std::size_t kMaxFileSize = 16u * 1024u * 1024u;

constexpr const char* kSwitchKeys[3] = {kPrefAutoLimit, kPrefMIDICapture, kPrefMIDISpring};
constexpr const char* kIntKeys[3] = {kPrefMIDIChannel, kPrefMIDIOutChannel, kPrefA4};

std::string fileName() {
    return std::string(PREF_PATH_CSTR) + ".conf";
}

bool isAbsolute(char const* path) {
    return path != nullptr && path[0] == '/';
}

std::string homeFolder() {
    char const* home = std::getenv("HOME");
    if (isAbsolute(home)) return home;
    struct passwd entry;
    struct passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && isAbsolute(found->pw_dir))
        return found->pw_dir;
    return std::string();
}

// An XDG base folder: the variable when it names an absolute path, else the home folder
// followed by its usual place; "" when there is no home folder either.
std::string xdgFolder(char const* variable, char const* belowHome) {
    char const* value = std::getenv(variable);
    if (isAbsolute(value)) return value;
    std::string home = homeFolder();
    return home.empty() ? std::string() : home + belowHome;
}

std::string environmentFilePath() {
    std::string folder = xdgFolder("XDG_CONFIG_HOME", "/.config");
    if (folder.empty()) return std::string();
    return folder + "/" + kVendorFolder + "/" + fileName();
}

std::string environmentFallbackPath() {
    char const* dirs = std::getenv("XDG_CONFIG_DIRS");
    std::string list = (dirs != nullptr && dirs[0] != '\0') ? dirs : "/etc/xdg";
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(':', start);
        if (end == std::string::npos) end = list.size();
        std::string folder = list.substr(start, end - start);
        if (!folder.empty() && folder[0] == '/') {
            std::string path = folder + "/" + kVendorFolder + "/" + fileName();
            if (access(path.c_str(), R_OK) == 0) return path;
        }
        start = end + 1;
    }
    return std::string();
}

// Line format: "s KEY=text" or "i KEY=integer". Backslash escapes keep every value on one
// line: \\ \n \r, and \= for an '=' inside a key.
std::string escape(std::string_view text, bool isKey) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '=':
            out += isKey ? "\\=" : "=";
            break;
        default:
            out += c;
        }
    }
    return out;
}

bool unescape(std::string_view text, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size()) return false;
        switch (text[i]) {
        case '\\':
            out += '\\';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case '=':
            out += '=';
            break;
        default:
            return false;
        }
    }
    return true;
}

bool parseWholeInt(std::string_view text, int& value) {
    if (text.empty()) return false;
    auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

bool writeAll(int fd, std::string const& data) {
    std::size_t written = 0;
    while (written < data.size()) {
        ssize_t n = write(fd, data.data() + written, data.size() - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        written += static_cast<std::size_t>(n);
    }
    return true;
}

bool keyIsController(std::string const& key, int& controller) {
    return parseWholeInt(key, controller) && controller >= 0 && controller < kMIDIControllerCount &&
           key == std::to_string(controller);
}

int switchIndex(std::string const& key) {
    for (int i = 0; i < 3; ++i)
        if (key == kSwitchKeys[i]) return i;
    return -1;
}

int intIndex(std::string const& key) {
    for (int i = 0; i < 3; ++i)
        if (key == kIntKeys[i]) return i;
    return -1;
}

} // namespace

PrefStore::PrefStore() {
    for (auto& m : switchMirror_) m.store(-1);
    for (auto& m : intMirror_) m.store(0);
    for (int i = 0; i < kMIDIControllerCount; ++i) {
        ccMirror_[i].store(0);
        ccPending_[i].store(0);
        ccDirty_[i].store(false);
    }
}

PrefStore::PrefStore(std::string filePath, std::string fallbackPath) : PrefStore() {
    fixedPath_ = std::move(filePath);
    fixedFallback_ = std::move(fallbackPath);
    useFixedPath_ = true;
}

PrefStore::~PrefStore() {
    // A controller learnt just before the plug-in unloads is still written.
    if (loaded_.load() && anyDirty_.load()) flushPending();
}

PrefStore& PrefStore::shared() {
    static PrefStore store;
    return store;
}

void PrefStore::setFile(std::string const& filePath, std::string const& fallbackPath) {
    std::lock_guard<std::mutex> lock(mutex_);
    // What the audio thread learnt belongs to the file in use until now.
    if (loaded_.load() && anyDirty_.load()) writeLocked(std::string(), Value());
    useFixedPath_ = !filePath.empty();
    fixedPath_ = filePath;
    fixedFallback_ = fallbackPath;
    reloadLocked();
}

std::string PrefStore::filePath() {
    std::lock_guard<std::mutex> lock(mutex_);
    ensureLoadedLocked();
    return path_;
}

void PrefStore::reload() {
    std::lock_guard<std::mutex> lock(mutex_);
    reloadLocked();
}

void PrefStore::ensureLoadedLocked() {
    if (!loaded_.load(std::memory_order_acquire)) reloadLocked();
}

void PrefStore::reloadLocked() {
    path_ = useFixedPath_ ? fixedPath_ : environmentFilePath();
    std::string fallbackPath = useFixedPath_ ? fixedFallback_ : environmentFallbackPath();
    values_.clear();
    fallback_.clear();
    fileUnreadable_ = readFileLocked(path_, values_) == ReadResult::Unreadable;
    if (!fallbackPath.empty()) readFileLocked(fallbackPath, fallback_);
    // Controllers learnt before this load are applied over what the file says.
    if (takePendingLocked()) writeFileLocked();
    updateMirrorsLocked();
    loaded_.store(true, std::memory_order_release);
    // The switches the audio thread reads are served from their mirrors, without the read
    // that makes a system-wide value the user's own; so they are adopted here, on load.
    for (const char* key : kSwitchKeys) adoptFallbackLocked(key);
}

PrefStore::ReadResult PrefStore::readFileLocked(std::string const& path,
                                                std::map<std::string, Value>& into) {
    if (path.empty()) return ReadResult::Missing;
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? ReadResult::Missing : ReadResult::Unreadable;
    std::string data;
    char buffer[8192];
    bool failed = false;
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof(buffer));
        if (n < 0) {
            if (errno == EINTR) continue;
            failed = true;
            break;
        }
        if (n == 0) break;
        data.append(buffer, static_cast<std::size_t>(n));
        if (data.size() > kMaxFileSize) {
            failed = true;
            break;
        }
    }
    close(fd);
    if (failed) return ReadResult::Unreadable;

    // Every line that does not parse is skipped; the others still count.
    std::string_view rest(data);
    while (!rest.empty()) {
        std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.size() < 3 || line[1] != ' ' || (line[0] != 's' && line[0] != 'i')) continue;
        std::string_view body = line.substr(2);
        std::size_t equals = std::string_view::npos;
        for (std::size_t i = 0; i < body.size(); ++i) {
            if (body[i] == '\\') {
                ++i;
            } else if (body[i] == '=') {
                equals = i;
                break;
            }
        }
        if (equals == std::string_view::npos) continue;
        std::string key;
        if (!unescape(body.substr(0, equals), key) || key.empty()) continue;
        Value value;
        std::string_view rawValue = body.substr(equals + 1);
        if (line[0] == 'i') {
            value.isInt = true;
            if (!parseWholeInt(rawValue, value.number)) continue;
        } else if (!unescape(rawValue, value.text)) {
            continue;
        }
        into[key] = std::move(value);
    }
    return ReadResult::Ok;
}

bool PrefStore::takePendingLocked() {
    if (!anyDirty_.exchange(false, std::memory_order_acq_rel)) return false;
    bool taken = false;
    for (int cc = 0; cc < kMIDIControllerCount; ++cc) {
        if (!ccDirty_[cc].exchange(false, std::memory_order_acq_rel)) continue;
        Value value;
        value.isInt = true;
        value.number = ccPending_[cc].load(std::memory_order_relaxed);
        values_[std::to_string(cc)] = value;
        taken = true;
    }
    return taken;
}

bool PrefStore::writeLocked(std::string const& key, Value const& value) {
    std::pair<std::string, Value> one(key, value);
    return writeValuesLocked(&one, key.empty() ? 0 : 1);
}

bool PrefStore::writeValuesLocked(std::pair<std::string, Value> const* values, int count) {
    ensureLoadedLocked();
    // Start from the file as it is now, so that what another process wrote since our last
    // read is kept, then lay the pending controller writes and this value over it.
    std::map<std::string, Value> current;
    ReadResult result = readFileLocked(path_, current);
    fileUnreadable_ = result == ReadResult::Unreadable;
    if (!fileUnreadable_) values_.swap(current);
    takePendingLocked();
    for (int i = 0; i < count; ++i) values_[values[i].first] = values[i].second;
    bool written = writeFileLocked();
    updateMirrorsLocked();
    return written;
}

bool PrefStore::writeFileLocked() {
    if (path_.empty()) {
        std::fprintf(stderr, "ZEK2: no home folder for the preferences; settings not saved\n");
        return false;
    }
    if (fileUnreadable_) {
        // Replacing a file we could not read would lose every setting in it.
        std::fprintf(stderr, "ZEK2: cannot read %s; settings not saved\n", path_.c_str());
        return false;
    }
    std::size_t slash = path_.rfind('/');
    std::string folder = slash == std::string::npos ? std::string(".") : path_.substr(0, slash);
    std::string name = slash == std::string::npos ? path_ : path_.substr(slash + 1);
    if (!folder.empty()) makeDirectory(folder);

    std::string data = "# ZEK2 preferences, one per line: \"s KEY=text\" or \"i KEY=integer\".\n"
                       "# In text, \\n is a line break and \\\\ a backslash; \\= is an '=' in a "
                       "key.\n";
    for (auto const& [key, value] : values_) {
        data += value.isInt ? "i " : "s ";
        data += escape(key, true);
        data += '=';
        data += value.isInt ? std::to_string(value.number) : escape(value.text, false);
        data += '\n';
    }

    std::string temporary = (folder.empty() ? std::string() : folder) + "/." + name + ".XXXXXX";
    int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        std::fprintf(stderr, "ZEK2: cannot write the preferences in %s: %s\n", folder.c_str(),
                     std::strerror(errno));
        return false;
    }
    bool ok = writeAll(fd, data) && fsync(fd) == 0;
    ok = (close(fd) == 0) && ok;
    if (ok && rename(temporary.c_str(), path_.c_str()) != 0) ok = false;
    if (!ok) {
        std::fprintf(stderr, "ZEK2: cannot save the preferences to %s: %s\n", path_.c_str(),
                     std::strerror(errno));
        unlink(temporary.c_str());
    }
    return ok;
}

std::string PrefStore::effectiveStringLocked(std::string const& key) const {
    auto found = values_.find(key);
    if (found != values_.end() && !found->second.isInt && !found->second.text.empty())
        return found->second.text;
    auto fallback = fallback_.find(key);
    if (fallback != fallback_.end() && !fallback->second.isInt) return fallback->second.text;
    return std::string();
}

void PrefStore::updateMirrorsLocked() {
    for (int i = 0; i < 3; ++i) {
        std::string text = effectiveStringLocked(kSwitchKeys[i]);
        switchMirror_[i].store(text == "Y" ? 1 : text == "N" ? 0 : -1, std::memory_order_relaxed);
        auto found = values_.find(kIntKeys[i]);
        int number = (found != values_.end() && found->second.isInt) ? found->second.number : 0;
        intMirror_[i].store(number, std::memory_order_relaxed);
    }
    for (int cc = 0; cc < kMIDIControllerCount; ++cc) {
        auto found = values_.find(std::to_string(cc));
        int number = (found != values_.end() && found->second.isInt) ? found->second.number : 0;
        ccMirror_[cc].store(number, std::memory_order_relaxed);
        // A controller learnt while this ran keeps its newer value.
        if (ccDirty_[cc].load(std::memory_order_acquire))
            ccMirror_[cc].store(ccPending_[cc].load(std::memory_order_relaxed),
                                std::memory_order_relaxed);
    }
}

std::string PrefStore::adoptFallbackLocked(std::string const& key) {
    auto found = values_.find(key);
    if (found != values_.end() && !found->second.isInt && !found->second.text.empty())
        return found->second.text;
    auto fallback = fallback_.find(key);
    if (fallback == fallback_.end() || fallback->second.isInt) return std::string();
    // A value found only in the system-wide file becomes the user's own.
    Value adopted = fallback->second;
    bool alreadyStored =
        found != values_.end() && !found->second.isInt && found->second.text == adopted.text;
    if (!alreadyStored) writeLocked(key, adopted);
    return adopted.text;
}

std::string PrefStore::getString(std::string const& key) {
    std::lock_guard<std::mutex> lock(mutex_);
    ensureLoadedLocked();
    return adoptFallbackLocked(key);
}

int PrefStore::getInt(std::string const& key) {
    int controller = 0;
    bool isController = keyIsController(key, controller);
    int index = intIndex(key);
    if (loaded_.load(std::memory_order_acquire)) {
        if (isController) return ccMirror_[controller].load(std::memory_order_relaxed);
        if (index >= 0) return intMirror_[index].load(std::memory_order_relaxed);
    }
    std::lock_guard<std::mutex> lock(mutex_);
    ensureLoadedLocked();
    if (isController) return ccMirror_[controller].load(std::memory_order_relaxed);
    auto found = values_.find(key);
    return (found != values_.end() && found->second.isInt) ? found->second.number : 0;
}

bool PrefStore::getSwitch(std::string const& key, bool defaultValue) {
    int index = switchIndex(key);
    if (index >= 0 && loaded_.load(std::memory_order_acquire))
        return getSwitchAudio(static_cast<AudioPrefSwitch>(index), defaultValue);
    std::string text = getString(key);
    if (text == "Y") return true;
    if (text == "N") return false;
    return defaultValue;
}

bool PrefStore::setString(std::string const& key, std::string const& value) {
    if (key.empty()) return false;
    std::lock_guard<std::mutex> lock(mutex_);
    Value stored;
    stored.text = value;
    return writeLocked(key, stored);
}

bool PrefStore::setInt(std::string const& key, int value) {
    if (key.empty()) return false;
    std::lock_guard<std::mutex> lock(mutex_);
    int controller = 0;
    // A write from this side replaces whatever the audio thread learnt for the slot.
    if (keyIsController(key, controller)) ccDirty_[controller].store(false);
    Value stored;
    stored.isInt = true;
    stored.number = value;
    return writeLocked(key, stored);
}

bool PrefStore::setControllerMap(int const (&tags)[kMIDIControllerCount]) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::pair<std::string, Value> values[kMIDIControllerCount];
    for (int cc = 0; cc < kMIDIControllerCount; ++cc) {
        ccDirty_[cc].store(false);
        values[cc].first = std::to_string(cc);
        values[cc].second.isInt = true;
        values[cc].second.number = tags[cc];
    }
    return writeValuesLocked(values, kMIDIControllerCount);
}

bool PrefStore::flushPending() {
    if (!anyDirty_.load(std::memory_order_acquire)) return false;
    std::lock_guard<std::mutex> lock(mutex_);
    if (!loaded_.load()) {
        reloadLocked();
        return true;
    }
    writeLocked(std::string(), Value());
    return true;
}

bool PrefStore::hasPending() const noexcept {
    return anyDirty_.load(std::memory_order_acquire);
}

bool PrefStore::getSwitchAudio(AudioPrefSwitch which, bool defaultValue) const noexcept {
    if (!loaded_.load(std::memory_order_acquire)) return defaultValue;
    int state = switchMirror_[static_cast<int>(which)].load(std::memory_order_relaxed);
    return state < 0 ? defaultValue : state == 1;
}

int PrefStore::getMIDICCAudio(int controller) const noexcept {
    if (controller < 0 || controller >= kMIDIControllerCount) return 0;
    return ccMirror_[controller].load(std::memory_order_relaxed);
}

void PrefStore::setMIDICCAudio(int controller, int tag) noexcept {
    if (controller < 0 || controller >= kMIDIControllerCount) return;
    ccMirror_[controller].store(tag, std::memory_order_relaxed);
    ccPending_[controller].store(tag, std::memory_order_relaxed);
    ccDirty_[controller].store(true, std::memory_order_release);
    anyDirty_.store(true, std::memory_order_release);
}

void loadStringFromPrefs(std::string key, std::string& value, int maxLen) {
    // A std::string has no fixed size: the whole value is returned, since a cut folder
    // path would name another folder. `maxLen` bounds only the buffer form.
    (void)maxLen;
    value = PrefStore::shared().getString(key);
}

void loadStringFromPrefs(std::string key, char* value, int maxLen) {
    if (value == nullptr || maxLen <= 0) return;
    copyToBuffer(PrefStore::shared().getString(key), value, static_cast<std::size_t>(maxLen));
}

void saveStringToPrefs(std::string const& key, std::string const& value) {
    PrefStore::shared().setString(key, value);
}

void saveStringToPrefs(char const* key, char const* value) {
    if (key == nullptr || value == nullptr) return;
    PrefStore::shared().setString(key, value);
}

int loadIntFromPrefs(std::string const& key) {
    return PrefStore::shared().getInt(key);
}

void saveIntToPrefs(std::string const& key, int value) {
    PrefStore::shared().setInt(key, value);
}

void saveBoolToPrefs(std::string const& key, bool on) {
    PrefStore::shared().setString(key, on ? "Y" : "N");
}

bool getRegisterIsOn(std::string key, bool defaultValue) {
    return PrefStore::shared().getSwitch(key, defaultValue);
}

int getMIDICC(int controller) {
    return loadIntFromPrefs(std::to_string(controller));
}

void setMIDICC(int controller, int value) {
    saveIntToPrefs(std::to_string(controller), value);
}

void setMIDICCMap(int const (&tags)[kMIDIControllerCount]) {
    PrefStore::shared().setControllerMap(tags);
}

int getMIDIChannelFromPrefs(std::string const& key) {
    int stored = loadIntFromPrefs(key);
    // Only 1..16 name a channel; 17 would be a 17th channel that MIDI does not have.
    return (stored >= 1 && stored <= 16) ? stored - 1 : -1;
}

bool saveMIDIChannelToPrefs(std::string const& key, int value) {
    if (value < 0 || value > 16) return false;
    return PrefStore::shared().setInt(key, value);
}

bool getRegisterIsOnAudio(AudioPrefSwitch which, bool defaultValue) noexcept {
    return PrefStore::shared().getSwitchAudio(which, defaultValue);
}

int getMIDICCAudio(int controller) noexcept {
    return PrefStore::shared().getMIDICCAudio(controller);
}

void setMIDICCFromAudio(int controller, int tag) noexcept {
    PrefStore::shared().setMIDICCAudio(controller, tag);
}

bool flushPendingPrefWrites() {
    return PrefStore::shared().flushPending();
}

void reloadPrefs() {
    PrefStore::shared().reload();
}

std::string getPrefsFilePath() {
    return PrefStore::shared().filePath();
}

void setPrefsFileForTesting(std::string const& path, std::string const& fallbackPath) {
    PrefStore::shared().setFile(path, fallbackPath);
}

std::string getApplicationFolder() {
    std::string folder = xdgFolder("XDG_DATA_HOME", "/.local/share");
    if (folder.empty()) folder = "/tmp/.local/share";
    return folder + "/Velmora/ZEK2/";
}
