#include "ui/DateRangePickers.h"

#include <string>
#include <vector>

#include <wx/combo.h>
#include <wx/textctrl.h>

#include "ui/GuiMessageBox.h"

namespace qz {

namespace {

// What the calendar-time conversion reports for a year it cannot hold.
constexpr char kImproperArgument[] = "Encountered an improper argument.";

// The generic picker is a text field with a drop-down calendar; it notifies
// every keystroke that leaves a parsable date in the field ("01/31/2", year 2,
// on the way to "01/31/2018"), and also dates outside its limits, which it
// does not take. A native picker has no such parts and notifies whole dates.
wxComboCtrl* DateCombo(const wxDatePickerCtrl* picker) {
    for (wxWindow* child : picker->GetChildren()) {
        if (auto* combo = wxDynamicCast(child, wxComboCtrl))
            return combo->GetPopupControl() ? combo : nullptr;
    }
    return nullptr;
}

wxWindow* DateField(const wxDatePickerCtrl* picker) {
    wxComboCtrl* combo = DateCombo(picker);
    return combo ? combo->GetTextCtrl() : nullptr;
}

enum class DateChange {
    Picked,   // from the calendar, the end of an entry or a native picker
    Typing,   // an entry on its way
    Refused,  // a date the picker did not take
};

DateChange ClassifyDateChange(const wxDatePickerCtrl* picker, const wxDateTime& date) {
    wxComboCtrl* combo = DateCombo(picker);
    if (!combo)
        return DateChange::Picked;
    const wxDateTime held = picker->GetValue();
    if (!held.IsValid() || !held.IsSameDate(date))
        return DateChange::Refused;
    // The calendar and the end of an entry leave the field showing the date
    // as the picker renders it ("01/31/2018"), as does an entry typed out in
    // full; the keystrokes on the way ("01/31/2" for 01/31/0002) do not.
    if (combo->GetValue() != combo->GetPopupControl()->GetStringValue())
        return DateChange::Typing;
    return DateChange::Picked;
}

// The runs of digits and of other characters a date text is made of.
std::vector<wxString> DateTextRuns(const wxString& text) {
    std::vector<wxString> runs;
    bool digits = false;
    for (const wxUniChar c : text) {
        const bool digit = c >= '0' && c <= '9';
        if (runs.empty() || digit != digits)
            runs.emplace_back();
        runs.back() += c;
        digits = digit;
    }
    return runs;
}

// True when text is the whole date rendered as shown: every part as the
// picker renders it, where a day or month may go without its leading zero
// ("1/31/2018" for "01/31/2018"). A year must be there in full: "01/31/2"
// stands for 01/31/0002 only on the way to a longer year.
bool IsWholeEntry(const wxString& text, const wxString& shown) {
    const std::vector<wxString> typed = DateTextRuns(text.Strip(wxString::both));
    const std::vector<wxString> rendered = DateTextRuns(shown);
    if (typed.size() != rendered.size())
        return false;
    for (std::size_t i = 0; i < typed.size(); ++i) {
        const wxString& t = typed[i];
        const wxString& r = rendered[i];
        if (t == r)
            continue;
        unsigned long tn = 0, rn = 0;
        if (r.length() > 2 || !t.ToULong(&tn) || !r.ToULong(&rn) || tn != rn)
            return false;
    }
    return true;
}

bool FieldShowsWholeEntry(wxComboCtrl* combo) {
    return IsWholeEntry(combo->GetValue(), combo->GetPopupControl()->GetStringValue());
}

// Where a key moves an open calendar's day to (invalid: not a moving key),
// as the calendar itself moves it.
wxDateTime MovedCalendarDate(const wxDateTime& day, int keyCode) {
    switch (keyCode) {
        case WXK_LEFT:
        case WXK_NUMPAD_LEFT:
            return day - wxDateSpan::Day();
        case WXK_RIGHT:
        case WXK_NUMPAD_RIGHT:
            return day + wxDateSpan::Day();
        case WXK_UP:
        case WXK_NUMPAD_UP:
            return day - wxDateSpan::Week();
        case WXK_DOWN:
        case WXK_NUMPAD_DOWN:
            return day + wxDateSpan::Week();
        case WXK_PAGEUP:
        case WXK_NUMPAD_PAGEUP:
            return day - wxDateSpan::Month();
        case WXK_PAGEDOWN:
        case WXK_NUMPAD_PAGEDOWN:
            return day + wxDateSpan::Month();
        case WXK_HOME:
        case WXK_NUMPAD_HOME:
            return wxDateTime(day).SetDay(1);
        case WXK_END:
        case WXK_NUMPAD_END:
            return wxDateTime(day).SetToLastMonthDay();
        default:
            return wxInvalidDateTime;
    }
}

// The picker's calendar when it is open.
wxCalendarCtrl* OpenCalendar(const wxDatePickerCtrl* picker) {
    wxComboCtrl* combo = DateCombo(picker);
    if (!combo || !combo->IsPopupShown())
        return nullptr;
    return wxDynamicCast(combo->GetPopupControl()->GetControl(), wxCalendarCtrl);
}

// The calendar is driven here rather than sent the keys, which its drop-down
// would hand back.
KeyRoute RouteToCalendar(wxCalendarCtrl& calendar, const wxKeyEvent& event) {
    if (event.HasAnyModifiers())
        return KeyRoute::Dialog;
    switch (event.GetKeyCode()) {
        case WXK_ESCAPE: {
            if (wxComboPopup* popup = dynamic_cast<wxComboPopup*>(&calendar))
                popup->Dismiss();
            return KeyRoute::Handled;
        }
        case WXK_RETURN:
        case WXK_NUMPAD_ENTER: {
            // As a double click on the day: the picker takes it and closes.
            wxCalendarEvent picked(&calendar, calendar.GetDate(), wxEVT_CALENDAR_DOUBLECLICKED);
            calendar.GetEventHandler()->ProcessEvent(picked);
            return KeyRoute::Handled;
        }
        default: {
            const wxDateTime moved = MovedCalendarDate(calendar.GetDate(), event.GetKeyCode());
            if (!moved.IsValid())
                return KeyRoute::Dialog;
            // A day outside the picker's limits is not taken.
            if (calendar.SetDate(moved)) {
                wxCalendarEvent changed(&calendar, moved, wxEVT_CALENDAR_SEL_CHANGED);
                calendar.GetEventHandler()->ProcessEvent(changed);
            }
            return KeyRoute::Handled;
        }
    }
}

}  // namespace

wxDateTime ToCalendarTime(const wxDateTime& picked) {
    if (!picked.IsValid())
        return wxInvalidDateTime;
    const int year = picked.GetYear();
    if (year < 1900)
        return wxDateTime(static_cast<time_t>(0));
    if (year > 3000)
        return wxInvalidDateTime;
    return wxDateTime(picked.GetDay(), picked.GetMonth(), year, picked.GetHour(),
                      picked.GetMinute(), picked.GetSecond());
}

DateRangePickers::DateRangePickers(wxDatePickerCtrl* start, wxDatePickerCtrl* end)
    : m_dtpStart(start), m_dtpEnd(end) {
    m_dtpStart->Bind(wxEVT_DATE_CHANGED, &DateRangePickers::OnDtnDatetimechangeStartDate, this);
    m_dtpEnd->Bind(wxEVT_DATE_CHANGED, &DateRangePickers::OnDtnDatetimechangeEndDate, this);
    m_acceptedStart = m_dtpStart->GetValue();
    m_acceptedEnd = m_dtpEnd->GetValue();
    // Bound after the picker's own focus handling, so run before it: the
    // field still shows what was typed.
    for (const wxDatePickerCtrl* picker : {m_dtpStart, m_dtpEnd}) {
        if (wxWindow* field = DateField(picker)) {
            field->Bind(wxEVT_SET_FOCUS, &DateRangePickers::OnDateFieldEntered, this);
            field->Bind(wxEVT_KILL_FOCUS, &DateRangePickers::OnDateFieldLeft, this);
        }
    }
}

DateRangePickers::~DateRangePickers() {
    // The pickers outlive this object; their focus and dates may change after.
    m_dtpStart->Unbind(wxEVT_DATE_CHANGED, &DateRangePickers::OnDtnDatetimechangeStartDate, this);
    m_dtpEnd->Unbind(wxEVT_DATE_CHANGED, &DateRangePickers::OnDtnDatetimechangeEndDate, this);
    for (const wxDatePickerCtrl* picker : {m_dtpStart, m_dtpEnd}) {
        if (wxWindow* field = DateField(picker)) {
            field->Unbind(wxEVT_SET_FOCUS, &DateRangePickers::OnDateFieldEntered, this);
            field->Unbind(wxEVT_KILL_FOCUS, &DateRangePickers::OnDateFieldLeft, this);
        }
    }
}

void DateRangePickers::PickRange(const wxDateTime& first, const wxDateTime& last) {
    m_dtpStart->SetRange(wxInvalidDateTime, wxInvalidDateTime);
    m_dtpEnd->SetRange(wxInvalidDateTime, wxInvalidDateTime);
    for (wxDatePickerCtrl* picker : {m_dtpStart, m_dtpEnd}) {
        const wxDateTime& date = picker == m_dtpStart ? first : last;
        picker->SetValue(date);
        wxDateEvent picked(picker, date, wxEVT_DATE_CHANGED);
        picker->ProcessWindowEvent(picked);
    }
}

void DateRangePickers::OnDtnDatetimechangeStartDate(wxDateEvent& event) {
    if (ClassifyDateChange(m_dtpStart, event.GetDate()) != DateChange::Picked)
        return;  // settled when the entry ends
    m_acceptedStart = m_dtpStart->GetValue();
    LimitEndPicker(event.GetDate());
}

void DateRangePickers::OnDtnDatetimechangeEndDate(wxDateEvent& event) {
    if (ClassifyDateChange(m_dtpEnd, event.GetDate()) != DateChange::Picked)
        return;
    m_acceptedEnd = m_dtpEnd->GetValue();
    LimitStartPicker(event.GetDate());
}

wxDateTime& DateRangePickers::AcceptedDate(const wxDatePickerCtrl* picker) {
    return picker == m_dtpStart ? m_acceptedStart : m_acceptedEnd;
}

wxDatePickerCtrl* DateRangePickers::PickerOfField(const wxWindow* window) const {
    for (wxDatePickerCtrl* picker : {m_dtpStart, m_dtpEnd}) {
        if (window && DateField(picker) == window)
            return picker;
    }
    return nullptr;
}

wxDatePickerCtrl* DateRangePickers::PickerHolding(const wxWindow* window) const {
    for (const wxWindow* w = window; w; w = w->GetParent()) {
        for (wxDatePickerCtrl* picker : {m_dtpStart, m_dtpEnd}) {
            if (w == picker)
                return picker;
        }
    }
    return nullptr;
}

void DateRangePickers::OnDateFieldEntered(wxFocusEvent& event) {
    event.Skip();
    // A date set from outside since the last entry counts as accepted.
    wxDatePickerCtrl* picker = PickerOfField(static_cast<wxWindow*>(event.GetEventObject()));
    wxComboCtrl* combo = picker ? DateCombo(picker) : nullptr;
    if (combo && FieldShowsWholeEntry(combo))
        AcceptedDate(picker) = picker->GetValue();
}

void DateRangePickers::OnDateFieldLeft(wxFocusEvent& event) {
    event.Skip();  // the picker tidies its field up after this
    if (wxDatePickerCtrl* picker = PickerOfField(static_cast<wxWindow*>(event.GetEventObject())))
        SettleDateEntry(picker);
}

void DateRangePickers::SettleDateEntry(wxDatePickerCtrl* picker) {
    wxComboCtrl* combo = DateCombo(picker);
    if (!combo)
        return;
    wxDateTime& accepted = AcceptedDate(picker);
    const wxDateTime held = picker->GetValue();
    if (held.IsValid() && FieldShowsWholeEntry(combo)) {
        if (accepted.IsValid() && accepted.IsEqualTo(held))
            return;
        accepted = held;
        // Outside the focus change, which a message box must not interrupt.
        picker->CallAfter([this, picker, held] { LimitOther(picker, held); });
        return;
    }
    // Unfinished or refused: the field shows the accepted date again, which
    // the picker then finds unchanged.
    if (accepted.IsValid())
        picker->SetValue(accepted);
}

void DateRangePickers::LimitOther(const wxDatePickerCtrl* picker, const wxDateTime& date) {
    if (picker == m_dtpStart)
        LimitEndPicker(date);
    else
        LimitStartPicker(date);
}

void DateRangePickers::LimitEndPicker(const wxDateTime& start) {
    const wxDateTime t = ToCalendarTime(start);
    if (!t.IsValid()) {
        ShowMessageBox(kImproperArgument);
        return;
    }
    m_dtpEnd->SetRange(t, wxInvalidDateTime);
}

void DateRangePickers::LimitStartPicker(const wxDateTime& end) {
    const wxDateTime t = ToCalendarTime(end);
    if (!t.IsValid()) {
        ShowMessageBox(kImproperArgument);
        return;
    }
    m_dtpStart->SetRange(wxInvalidDateTime, t);
}

std::optional<KeyRoute> DateRangePickers::RouteKeyToOpenCalendar(const wxKeyEvent& event) {
    for (const wxDatePickerCtrl* picker : {m_dtpStart, m_dtpEnd}) {
        if (wxCalendarCtrl* calendar = OpenCalendar(picker))
            return RouteToCalendar(*calendar, event);
    }
    return std::nullopt;
}

}  // namespace qz
