#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "zunfert_input.h"

namespace zunfert::detail {
namespace {

struct cKeyName {
  const char* name;
  int code;
};

// Keys without a printable character of their own, and the long names of
// some that have one.
constexpr cKeyName kKeyNames[] = {
    {"Backspace", cDefaultKeyboard::KeyBackspace},
    {"Tab", cDefaultKeyboard::KeyTab},
    {"Enter", cDefaultKeyboard::KeyEnter},
    {"Escape", cDefaultKeyboard::KeyEscape},
    {"Space", cDefaultKeyboard::KeySpace},
    {"Left", cDefaultKeyboard::KeyLeft},
    {"Right", cDefaultKeyboard::KeyRight},
    {"Up", cDefaultKeyboard::KeyUp},
    {"Down", cDefaultKeyboard::KeyDown},
    {"Home", cDefaultKeyboard::KeyHome},
    {"End", cDefaultKeyboard::KeyEnd},
    {"PageUp", cDefaultKeyboard::KeyPageUp},
    {"PageDown", cDefaultKeyboard::KeyPageDown},
    {"Insert", cDefaultKeyboard::KeyInsert},
    {"Delete", cDefaultKeyboard::KeyDelete},
    {"LeftAlt", cDefaultKeyboard::KeyLeftAlt},
    {"RightAlt", cDefaultKeyboard::KeyRightAlt},
    {"LeftCtrl", cDefaultKeyboard::KeyLeftCtrl},
    {"RightCtrl", cDefaultKeyboard::KeyRightCtrl},
    {"LeftShift", cDefaultKeyboard::KeyLeftShift},
    {"RightShift", cDefaultKeyboard::KeyRightShift},
    {"Close", cDefaultKeyboard::KeyClose},
};

constexpr cKeyName kButtonNames[] = {
    {"left", cMouse::ButtonLeft}, {"right", cMouse::ButtonRight}, {"middle", cMouse::ButtonMiddle}};

/// A whole word as an integer (decimal or 0x hexadecimal), or false.
bool ToInt(const std::string& word, int32_t& value) {
  if (word.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const long long parsed = std::strtoll(word.c_str(), &end, 0);
  if (*end != '\0' || errno != 0 || parsed < INT32_MIN || parsed > INT32_MAX) return false;
  value = static_cast<int32_t>(parsed);
  return true;
}

class cLineParser {
 public:
  cLineParser(const std::string& line, int number) : m_Words(line), m_Number(number) {}

  std::string Word(const char* what) {
    std::string word;
    if (!(m_Words >> word)) Fail(std::string("expected ") + what);
    return word;
  }
  int32_t Int(const char* what) {
    const std::string word = Word(what);
    int32_t value = 0;
    if (!ToInt(word, value)) Fail(std::string("\"") + word + "\" is not " + what);
    return value;
  }
  float Time() {
    const std::string word = Word("a time in seconds");
    char* end = nullptr;
    const float time = std::strtof(word.c_str(), &end);
    if (*end != '\0' || !std::isfinite(time) || time < 0)
      Fail("\"" + word + "\" is not a time in seconds");
    return time;
  }
  /// The rest of the line after one separating space.
  std::string Rest() {
    std::string rest;
    std::getline(m_Words, rest);
    return rest.empty() ? rest : rest.substr(1);
  }
  void End() {
    std::string extra;
    if (m_Words >> extra) Fail("unexpected \"" + extra + "\"");
  }
  [[noreturn]] void Fail(const std::string& what) const {
    throw cException(__FILE__, __LINE__,
                     cString::StringF("Input script line %d: %s", m_Number, what.c_str()));
  }

 private:
  std::istringstream m_Words;
  int m_Number;
};

int ButtonNumber(cLineParser& line) {
  const std::string word = line.Word("a button");
  for (const cKeyName& button : kButtonNames)
    if (word == button.name) return button.code;
  int32_t number = 0;
  if (!ToInt(word, number) || number < 0 || number >= cDefaultMouse::kButtons)
    line.Fail("\"" + word + "\" is not a button");
  return number;
}

cInputScript::cEvent ParseKey(cLineParser& line, cInputScript::cEvent event) {
  const std::string action = line.Word("down or up");
  if (action != "down" && action != "up") line.Fail("\"" + action + "\" is not down or up");
  event.m_Action = action == "down" ? cInputScript::EAction::KeyDown : cInputScript::EAction::KeyUp;
  const std::string key = line.Word("a key");
  event.m_A = cInputScript::KeyCode(key);
  if (event.m_A < 0) line.Fail("\"" + key + "\" is not a key");
  return event;
}

cInputScript::cEvent ParseMouse(cLineParser& line, cInputScript::cEvent event) {
  using EAction = cInputScript::EAction;
  const std::string action = line.Word("a mouse action");
  if (action == "move" || action == "motion") {
    event.m_Action = action == "move" ? EAction::MouseMove : EAction::MouseMotion;
    event.m_A = line.Int("a number");
    event.m_B = line.Int("a number");
  } else if (action == "down" || action == "up") {
    event.m_Action = action == "down" ? EAction::MouseDown : EAction::MouseUp;
    event.m_A = ButtonNumber(line);
  } else if (action == "wheel") {
    event.m_Action = EAction::MouseWheel;
    event.m_A = line.Int("a number");
  } else {
    line.Fail("\"" + action + "\" is not a mouse action");
  }
  return event;
}

/// One event line; false for a blank or comment line.
bool ParseLine(const std::string& text, int number, cInputScript::cEvent& event) {
  const size_t start = text.find_first_not_of(" \t\r");
  if (start == std::string::npos || text[start] == '#') return false;
  cLineParser line(text, number);
  event = {line.Time(), cInputScript::EAction::KeyDown, 0, 0, {}};
  const std::string device = line.Word("key, type or mouse");
  if (device == "type") {
    event.m_Action = cInputScript::EAction::Type;
    event.m_Text = line.Rest();
    while (!event.m_Text.empty() && event.m_Text.back() == '\r') event.m_Text.pop_back();
    return true;
  }
  if (device == "key")
    event = ParseKey(line, event);
  else if (device == "mouse")
    event = ParseMouse(line, event);
  else
    line.Fail("\"" + device + "\" is not key, type or mouse");
  line.End();
  return true;
}

}  // namespace
}  // namespace zunfert::detail

int cInputScript::KeyCode(const std::string& name) {
  using namespace zunfert::detail;
  for (const cKeyName& key : kKeyNames)
    if (name == key.name) return key.code;
  if (name.size() == 1 && name[0] > ' ' && name[0] < 127)
    return name[0] >= 'a' && name[0] <= 'z' ? name[0] - 'a' + 'A' : name[0];
  int32_t number = 0;
  if (name.size() >= 2 && name[0] == 'F' && ToInt(name.substr(1), number) && number >= 1 &&
      number <= 12)
    return cDefaultKeyboard::KeyF1 + number - 1;
  if (ToInt(name, number) && number >= 0 && number < cDefaultKeyboard::KeyCount) return number;
  return -1;
}

cInputScript cInputScript::Parse(const cString& text) {
  std::istringstream lines(std::string(text.c_str(), static_cast<size_t>(text.GetLength())));
  cInputScript script;
  std::string line;
  float last = 0.0f;
  for (int number = 1; std::getline(lines, line); ++number) {
    cEvent event;
    if (!zunfert::detail::ParseLine(line, number, event)) continue;
    if (event.m_Time < last)
      throw cException(__FILE__, __LINE__,
                       cString::StringF("Input script line %d: time goes back", number));
    last = event.m_Time;
    script.m_Events.push_back(std::move(event));
  }
  return script;
}

cInputScript cInputScript::Load(const cUrl& url) {
  cStreamManager* streams = cStreamManager::GetInstance();
  iIOStream* stream = streams ? streams->Open(url, cStreamManager::OpenRead) : nullptr;
  if (stream == nullptr)
    throw cException(
        __FILE__, __LINE__,
        cString::StringF("Cannot open the input script \"%s\"", url.GetText().c_str()));
  std::string text;
  char buffer[4096];
  for (uint32_t got; (got = stream->Read(buffer, sizeof buffer)) > 0;) {
    text.append(buffer, got);
    if (text.size() > (1u << 24)) {
      stream->Close();
      throw cException(__FILE__, __LINE__, "Input script is longer than 16 MiB");
    }
  }
  stream->Close();
  return Parse(cString(text.data(), static_cast<int32_t>(text.size())));
}

namespace zunfert::detail {
namespace {

bool IsForKeyboard(cInputScript::EAction action) {
  using EAction = cInputScript::EAction;
  return action == EAction::KeyDown || action == EAction::KeyUp || action == EAction::Type ||
         action == EAction::KeyUpAll;
}

}  // namespace
}  // namespace zunfert::detail

void cInputQueue::SetScript(const cInputScript& script, bool keyboard) {
  m_Script.clear();
  m_Next = 0;
  for (const cInputScript::cEvent& event : script.GetEvents())
    if (zunfert::detail::IsForKeyboard(event.m_Action) == keyboard) m_Script.push_back(event);
}

std::vector<cInputScript::cEvent> cInputQueue::TakeDue() {
  std::vector<cInputScript::cEvent> due;
  due.swap(m_Fed);
  for (; m_Next < m_Script.size() && m_Script[m_Next].m_Time <= m_Time; ++m_Next)
    due.push_back(m_Script[m_Next]);
  return due;
}
