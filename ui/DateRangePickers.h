#pragma once
// The report's date range: the two date pickers of the main dialog and the
// rules that tie them together. Each date the operator settles on limits the
// other picker (the end cannot go before the start, the start not after the
// end); a typed date counts only once whole, and an open calendar takes its
// own keys. The pickers belong to the dialog's layout; this object binds to
// them and must go before they do. UI thread only.

#include <optional>

#include <wx/calctrl.h>
#include <wx/datectrl.h>
#include <wx/dateevt.h>

#include "ui/KeyRoute.h"

class wxKeyEvent;

namespace qz {

// The lower (upper) limit a picked date gives the other picker: the start of
// the calendar-time scale (1970-01-01 00:00 UTC) for a year before 1900, else
// the same local date and time. Invalid for a year after 3000, which the
// calendar-time scale does not hold.
wxDateTime ToCalendarTime(const wxDateTime& picked);

class DateRangePickers {
  public:
    DateRangePickers(wxDatePickerCtrl* start, wxDatePickerCtrl* end);
    ~DateRangePickers();
    DateRangePickers(const DateRangePickers&) = delete;
    DateRangePickers& operator=(const DateRangePickers&) = delete;

    wxDatePickerCtrl* Start() const { return m_dtpStart; }
    wxDatePickerCtrl* End() const { return m_dtpEnd; }

    // Sets both pickers as if the operator had picked first, then last (each
    // limits the other); limits left by earlier picks do not stand in the way.
    void PickRange(const wxDateTime& first, const wxDateTime& last);

    // The picker whose typed-date field window is, else null.
    wxDatePickerCtrl* PickerOfField(const wxWindow* window) const;
    // The picker that is window or holds it (the focus may be reported on
    // the picker or on its field), else null.
    wxDatePickerCtrl* PickerHolding(const wxWindow* window) const;
    // Ends a typed entry in picker's field as leaving the field does: a whole
    // date is taken, an unfinished or refused one gives way to the last date.
    void SettleDateEntry(wxDatePickerCtrl* picker);

    // An open calendar is a window of its own to the operator: Enter picks
    // its day and closes it, Escape closes it, the arrows and page keys move
    // its day, other keys go on as usual (KeyRoute::Dialog). Empty when
    // neither calendar is open.
    std::optional<KeyRoute> RouteKeyToOpenCalendar(const wxKeyEvent& event);

    void OnDtnDatetimechangeStartDate(wxDateEvent& event);
    void OnDtnDatetimechangeEndDate(wxDateEvent& event);

  private:
    // A picker's date counts, and limits the other picker, once accepted
    // whole: picked from the calendar, typed out as the field shows it, or
    // typed in another whole form and the entry ended (focus lost, Enter). An
    // entry ended unfinished or refused gives way to the last accepted date.
    wxDateTime& AcceptedDate(const wxDatePickerCtrl* picker);
    void OnDateFieldEntered(wxFocusEvent& event);
    void OnDateFieldLeft(wxFocusEvent& event);
    void LimitOther(const wxDatePickerCtrl* picker, const wxDateTime& date);
    void LimitEndPicker(const wxDateTime& start);
    void LimitStartPicker(const wxDateTime& end);

    wxDatePickerCtrl* m_dtpStart;
    wxDatePickerCtrl* m_dtpEnd;
    wxDateTime m_acceptedStart;
    wxDateTime m_acceptedEnd;
};

}  // namespace qz
