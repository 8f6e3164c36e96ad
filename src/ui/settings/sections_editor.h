#pragma once

#include "core/search_section.h"

#include <QPointer>
#include <QWidget>
#include <optional>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

namespace norvane {
class PRViewModel;
} // namespace norvane

namespace norvane::ui {

class ThemedLabel;

// The settings' "Sections": the selected account's sections in their order, each with Edit, Move Up, Move
// Down and Remove, and an inline form (Name, Query, Notify) that runs the query once before it keeps it:
// GitHub's refusal is shown as plain text and read to the screen reader, a valid query shows its matches.
class SectionsEditor final : public QWidget
{
    Q_OBJECT
public:
    explicit SectionsEditor(PRViewModel& model, QWidget* parent = nullptr);

    // Opens the form for a new section (none) or for the section at `index`.
    void openForm(std::optional<int> index);
    void save();
    QLineEdit* nameField() const { return m_name; }
    QLineEdit* queryField() const { return m_query; }
    ThemedLabel* statusLabel() const { return m_status; }

private:
    void rebuildList();
    void showStatus(const QString& text, bool problem);
    void move(int index, int by);
    void checked(SearchSection section, std::optional<int> index, bool valid, const QString& message,
                 qint64 count);

    PRViewModel& m_model;
    QVBoxLayout* m_list = nullptr;
    QPushButton* m_add = nullptr;
    QWidget* m_form = nullptr;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_query = nullptr;
    QCheckBox* m_notify = nullptr;
    QPushButton* m_save = nullptr;
    ThemedLabel* m_status = nullptr;
    std::optional<int> m_editing;
    int m_checks = 0; // a newer check makes an older one's answer moot
};

} // namespace norvane::ui
