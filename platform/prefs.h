// The user's preference store: one UTF-8 text file shared by every plug-in instance of the
// process, with string and integer values by key. The free functions are for the UI and
// host threads; the *Audio functions are lock-free and safe on the audio thread.
#pragma once

#include <array>
#include <atomic>
#include <map>
#include <mutex>
#include <string>

// The preference domain; the store's file is <config folder>/VMQX/<domain>.conf.
extern const char* const PREF_PATH_CSTR;

// Keys of the values the audio thread reads; mirrored in atomics.
constexpr const char* kPrefAutoLimit = "AutoLimit";
constexpr const char* kPrefMIDICapture = "MIDICapture";
constexpr const char* kPrefMIDISpring = "MIDISpring";
// Integer keys that the engine's reset reads, which may run on the audio thread.
constexpr const char* kPrefMIDIChannel = "MIDIChannel";
constexpr const char* kPrefMIDIOutChannel = "MIDIOutChannel";
constexpr const char* kPrefA4 = "A4";

// Controller numbers 0..127 key the controller map.
constexpr int kMIDIControllerCount = 128;

enum class AudioPrefSwitch { AutoLimit, MIDICapture, MIDISpring };

// One preference file with its cache. The free functions below use the process-wide
// instance `PrefStore::shared()`; tests may make their own on a file of their choosing.
// Every method but the *Audio ones takes the store's mutex; the file is written through a
// temporary file in the same folder and a rename, so a crash never leaves it half written.
class PrefStore {
public:
    // A store whose file is found from the environment at each (re)load:
    // $XDG_CONFIG_HOME (else ~/.config) /VMQX/com.VMQX.ZEK2.conf, with the first existing
    // $XDG_CONFIG_DIRS (else /etc/xdg) /VMQX/com.VMQX.ZEK2.conf as read-only fallback.
    PrefStore();
    // A store on the given file; `fallbackPath` "" means no fallback file.
    explicit PrefStore(std::string filePath, std::string fallbackPath = std::string());
    ~PrefStore();
    PrefStore(PrefStore const&) = delete;
    PrefStore& operator=(PrefStore const&) = delete;

    static PrefStore& shared();

    // Points the store at a fixed file (and fallback) and reloads; "" returns to the
    // environment's file.
    void setFile(std::string const& filePath, std::string const& fallbackPath);
    std::string filePath();

    // Writes pending audio-side writes, then re-reads the file.
    void reload();

    // The string under `key`; an empty or missing string falls back to the fallback file,
    // whose value is then copied into the store. "" when neither has one.
    std::string getString(std::string const& key);
    // The integer under `key`; 0 when missing or not an integer. Once the store is
    // loaded, the mirrored keys (the controller map, the MIDI channels, "A4") are read
    // without a lock.
    int getInt(std::string const& key);
    // Exactly "Y" gives true, exactly "N" false, anything else `defaultValue`. Once the
    // store is loaded, the mirrored switches are read without a lock.
    bool getSwitch(std::string const& key, bool defaultValue);

    // Store a value and write the file at once. False when the file could not be written
    // (the value is still kept for this process).
    bool setString(std::string const& key, std::string const& value);
    bool setInt(std::string const& key, int value);
    // All 128 controller-map entries ("0".."127") with one write of the file.
    bool setControllerMap(int const (&tags)[kMIDIControllerCount]);

    // Writes the controller-map entries set from the audio thread. True when something
    // was pending.
    bool flushPending();
    bool hasPending() const noexcept;

    // Audio thread: no lock, allocation or file access. Before the first load they give
    // `defaultValue` / 0.
    bool getSwitchAudio(AudioPrefSwitch which, bool defaultValue) const noexcept;
    int getMIDICCAudio(int controller) const noexcept;
    // Updates the mirror at once and queues the write for `flushPending`; controllers
    // outside 0..127 are ignored.
    void setMIDICCAudio(int controller, int tag) noexcept;

private:
    struct Value {
        bool isInt = false;
        int number = 0;
        std::string text;
    };
    enum class ReadResult { Ok, Missing, Unreadable };

    void ensureLoadedLocked();
    void reloadLocked();
    ReadResult readFileLocked(std::string const& path, std::map<std::string, Value>& into);
    bool writeLocked(std::string const& key, Value const& value);
    bool writeValuesLocked(std::pair<std::string, Value> const* values, int count);
    bool writeFileLocked();
    bool takePendingLocked();
    void updateMirrorsLocked();
    std::string effectiveStringLocked(std::string const& key) const;
    // The user's non-empty string under `key`, else the system-wide one, which is then
    // written into the user's file.
    std::string adoptFallbackLocked(std::string const& key);

    mutable std::mutex mutex_;
    std::string fixedPath_;
    std::string fixedFallback_;
    bool useFixedPath_ = false;
    std::string path_;
    std::map<std::string, Value> values_;
    std::map<std::string, Value> fallback_;
    bool fileUnreadable_ = false;

    std::atomic<bool> loaded_{false};
    std::array<std::atomic<int>, 3> switchMirror_; // 1 "Y", 0 "N", -1 anything else
    std::array<std::atomic<int>, 3> intMirror_;
    std::array<std::atomic<int>, kMIDIControllerCount> ccMirror_;
    std::array<std::atomic<int>, kMIDIControllerCount> ccPending_;
    std::array<std::atomic<bool>, kMIDIControllerCount> ccDirty_;
    std::atomic<bool> anyDirty_{false};
};

// UI and host threads. Keys and values are UTF-8. The readers of mirrored keys
// (getRegisterIsOn of the three switches, getMIDICC, loadIntFromPrefs of the MIDI channels
// and "A4") take no lock once the store has been loaded, so the engine may call them from
// the audio thread after its start-up has read the preferences.
void loadStringFromPrefs(std::string key, std::string& value, int maxLen);
// Copies at most maxLen - 1 bytes, cut on a UTF-8 boundary, always terminated.
void loadStringFromPrefs(std::string key, char* value, int maxLen);
void saveStringToPrefs(std::string const& key, std::string const& value);
void saveStringToPrefs(char const* key, char const* value);
int loadIntFromPrefs(std::string const& key);
void saveIntToPrefs(std::string const& key, int value);
void saveBoolToPrefs(std::string const& key, bool on);
bool getRegisterIsOn(std::string key, bool defaultValue);
int getMIDICC(int controller);
void setMIDICC(int controller, int value);
// The whole controller map, entry cc under the key "cc", written to the file once.
void setMIDICCMap(int const (&tags)[kMIDIControllerCount]);

// MIDI channel preferences ("MIDIChannel", "MIDIOutChannel"): a stored 1..16 is channel
// 0..15; 0 (omni for input, off for output) and every other value give -1.
int getMIDIChannelFromPrefs(std::string const& key);
// Stores 0..16; refuses (false, nothing stored) any other value.
bool saveMIDIChannelToPrefs(std::string const& key, int value);

// Audio thread: lock-free readers of the mirrored values and the MIDI-learn write.
bool getRegisterIsOnAudio(AudioPrefSwitch which, bool defaultValue) noexcept;
int getMIDICCAudio(int controller) noexcept;
void setMIDICCFromAudio(int controller, int tag) noexcept;

// UI or host thread (editor idle): writes what the audio thread queued.
bool flushPendingPrefWrites();
// Re-reads the file, so that a write of another process is seen.
void reloadPrefs();
std::string getPrefsFilePath();
// Points the process-wide store at `path` ("" returns to the environment's file).
void setPrefsFileForTesting(std::string const& path,
                            std::string const& fallbackPath = std::string());

// The folder that stands for the application folder: $XDG_DATA_HOME (else
// ~/.local/share) /Velmora/ZEK2/, with its trailing '/'.
std::string getApplicationFolder();
