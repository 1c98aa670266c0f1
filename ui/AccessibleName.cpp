#include "ui/AccessibleName.h"

#include <wx/textctrl.h>
#include <wx/window.h>

#ifdef __WXGTK__
#include <gtk/gtk.h>
#endif
#if wxUSE_ACCESSIBILITY
#include <wx/access.h>
#endif

namespace qz {

namespace {

#if wxUSE_ACCESSIBILITY
// Answers the name; everything else comes from the control itself.
class NamedAccessible : public wxAccessible {
  public:
    NamedAccessible(wxWindow* window, const wxString& name) : wxAccessible(window), m_name(name) {}

    wxAccStatus GetName(int childId, wxString* name) override {
        if (childId != wxACC_SELF)
            return wxACC_NOT_IMPLEMENTED;
        *name = m_name;
        return wxACC_OK;
    }

  private:
    wxString m_name;
};
#endif

void NameOne(wxWindow* window, const wxString& name) {
#ifdef __WXGTK__
    if (GtkWidget* widget = window->GetHandle()) {
        if (AtkObject* accessible = gtk_widget_get_accessible(widget))
            atk_object_set_name(accessible, name.utf8_str());
    }
#elif wxUSE_ACCESSIBILITY
    window->SetAccessible(new NamedAccessible(window, name));
#else
    window->SetName(name);
#endif
}

void NameTextFields(wxWindow* parent, const wxString& name) {
    for (wxWindow* child : parent->GetChildren()) {
        if (wxDynamicCast(child, wxTextCtrl))
            NameOne(child, name);
        NameTextFields(child, name);
    }
}

}  // namespace

void SetAccessibleName(wxWindow* window, const wxString& name) {
    NameOne(window, name);
    NameTextFields(window, name);
}

}  // namespace qz
