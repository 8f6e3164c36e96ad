#include "ui/settings/sections_editor.h"

#include "models/pr_view_model.h"
#include "ui/settings/settings_support.h"
#include "ui/widgets/accessibility.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

namespace norvane::ui {

using namespace settings;

namespace {

QCoro::Task<> runCheck(QPointer<SectionsEditor> self, PRViewModel* model, SearchSection section,
                       std::function<void(bool, QString, qint64)> done)
{
    const GitHubService::SectionCheck check = co_await model->checkSectionQuery(section.query);
    if (self)
        done(check.outcome == GitHubService::SectionCheck::Outcome::matches, check.message, check.count);
}

} // namespace

SectionsEditor::SectionsEditor(PRViewModel& model, QWidget* parent) : QWidget(parent), m_model(model)
{
    QVBoxLayout* body = column(this, 8);
    body->addWidget(
        wrapped(label(tr("Your own GitHub searches, each a chip after the filters. "
                         "\"is:pr is:open archived:false\" is added unless the query says otherwise."),
                      TextStyle::caption, ThemeColor::secondary, this)));
    auto* list = new QWidget(this);
    m_list = column(list, 6);
    body->addWidget(list);

    m_form = new QWidget(this);
    auto* form = new QFormLayout(m_form);
    form->setContentsMargins(0, 0, 0, 0);
    m_name = new QLineEdit(m_form);
    m_name->setAccessibleName(tr("Section name"));
    m_query = new QLineEdit(m_form);
    m_query->setAccessibleName(tr("Section query"));
    m_query->setPlaceholderText(tr("org:northwind label:urgent"));
    m_notify = new QCheckBox(tr("Notify"), m_form);
    m_notify->setAccessibleName(tr("Notify for this section's pull requests"));
    form->addRow(tr("Name"), m_name);
    form->addRow(tr("Query"), m_query);
    form->addRow(QString(), m_notify);
    auto* buttons = new QWidget(m_form);
    QHBoxLayout* buttonRow = row(buttons, 6);
    m_save = new QPushButton(tr("Save"), buttons);
    auto* cancel = new QPushButton(tr("Cancel"), buttons);
    buttonRow->addWidget(m_save);
    buttonRow->addWidget(cancel);
    buttonRow->addStretch();
    form->addRow(QString(), buttons);
    connect(m_save, &QPushButton::clicked, this, &SectionsEditor::save);
    connect(m_query, &QLineEdit::returnPressed, this, &SectionsEditor::save);
    connect(cancel, &QPushButton::clicked, this, [this] {
        ++m_checks;
        m_form->hide();
        m_add->show();
    });
    body->addWidget(m_form);
    m_form->hide();

    m_status = wrapped(label({}, TextStyle::caption, ThemeColor::secondary, this));
    m_status->setTextFormat(Qt::PlainText);
    m_status->hide();
    body->addWidget(m_status);

    m_add = new QPushButton(tr("Add Section…"), this);
    connect(m_add, &QPushButton::clicked, this, [this] { openForm(std::nullopt); });
    body->addWidget(m_add, 0, Qt::AlignLeft);

    connect(&m_model, &PRViewModel::sectionsChanged, this, &SectionsEditor::rebuildList);
    rebuildList();
}

void SectionsEditor::rebuildList()
{
    while (QLayoutItem* item = m_list->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const QList<SearchSection>& sections = m_model.sections();
    for (int i = 0; i < sections.size(); ++i) {
        const SearchSection& section = sections[i];
        QHBoxLayout* layout = nullptr;
        QWidget* entry = entryRow(m_list->parentWidget(), &layout);
        auto* text = label(section.notify ? tr("%1 — %2 (notifies)").arg(section.name, section.query)
                                          : tr("%1 — %2").arg(section.name, section.query),
                           TextStyle::body, ThemeColor::primary, entry);
        text->setTextFormat(Qt::PlainText);
        text->setWordWrap(true);
        layout->addWidget(text, 1);
        const auto button = [&](const QString& caption, const QString& spoken, auto slot,
                                bool enabled = true) {
            auto* b = new QPushButton(caption, entry);
            b->setAccessibleName(spoken.arg(section.name));
            b->setEnabled(enabled);
            connect(b, &QPushButton::clicked, this, slot);
            layout->addWidget(b);
        };
        button(tr("Edit"), tr("Edit section %1"), [this, i] { openForm(i); });
        button(
            tr("Up"), tr("Move section %1 up"), [this, i] { move(i, -1); }, i > 0);
        button(
            tr("Down"), tr("Move section %1 down"), [this, i] { move(i, 1); }, i + 1 < sections.size());
        button(tr("Remove"), tr("Remove section %1"), [this, i] {
            QList<SearchSection> kept = m_model.sections();
            if (i < kept.size())
                kept.removeAt(i);
            m_model.setSections(kept);
        });
        m_list->addWidget(entry);
    }
    m_add->setEnabled(sections.size() < kMaxSections);
}

void SectionsEditor::move(int index, int by)
{
    QList<SearchSection> sections = m_model.sections();
    const int to = index + by;
    if (index < 0 || index >= sections.size() || to < 0 || to >= sections.size())
        return;
    sections.move(index, to);
    m_model.setSections(sections);
}

void SectionsEditor::openForm(std::optional<int> index)
{
    const QList<SearchSection>& sections = m_model.sections();
    m_editing = index && *index < sections.size() ? index : std::nullopt;
    const SearchSection current = m_editing ? sections[*m_editing] : SearchSection{};
    m_name->setText(current.name);
    m_query->setText(current.query);
    m_notify->setChecked(current.notify);
    m_status->hide();
    m_form->show();
    m_add->hide();
    m_name->setFocus();
}

void SectionsEditor::showStatus(const QString& text, bool problem)
{
    m_status->setTint(problem ? ThemeColor::red : ThemeColor::secondary);
    m_status->setText(text);
    m_status->show();
    announceNameChange(m_status);
}

void SectionsEditor::save()
{
    const SearchSection section = trimmedSection({m_name->text(), m_query->text(), m_notify->isChecked()});
    QList<SearchSection> sections = m_model.sections();
    if (m_editing)
        sections[*m_editing] = section;
    else
        sections.append(section);
    switch (sectionProblem(sections)) {
    case SectionProblem::emptyName:
        return showStatus(tr("A section needs a name."), true);
    case SectionProblem::emptyQuery:
        return showStatus(tr("A section needs a query."), true);
    case SectionProblem::duplicateName:
        return showStatus(tr("Another section is already called \"%1\".").arg(section.name), true);
    case SectionProblem::tooMany:
        return showStatus(tr("An account holds at most %n section(s).", nullptr, int(kMaxSections)), true);
    case SectionProblem::none:
        break;
    }
    showStatus(tr("Checking the query with GitHub…"), false);
    m_save->setEnabled(false);
    const int check = ++m_checks;
    const std::optional<int> editing = m_editing;
    runCheck(QPointer<SectionsEditor>(this), &m_model, section,
             [this, check, section, editing](bool valid, QString message, qint64 count) {
                 if (check != m_checks)
                     return;
                 checked(section, editing, valid, message, count);
             });
}

void SectionsEditor::checked(SearchSection section, std::optional<int> index, bool valid,
                             const QString& message, qint64 count)
{
    m_save->setEnabled(true);
    if (!valid)
        return showStatus(message, true);
    QList<SearchSection> sections = m_model.sections();
    if (index && *index < sections.size())
        sections[*index] = section;
    else
        sections.append(section);
    if (m_model.setSections(sections) != SectionProblem::none)
        return showStatus(tr("The sections changed meanwhile: try again."), true);
    m_form->hide();
    m_add->show();
    showStatus(tr("Matches %n pull request(s).", nullptr, int(count)), false);
}

} // namespace norvane::ui
