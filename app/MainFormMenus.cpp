// The toolbar, the main menu and the popup menu of TMainFormFm, their
// enabling rules, shortcuts and help contexts.
#include "MainForm.h"

#include "FilesLbFind.h"
#include "FilesLbSort.h"
#include "MenuTables.h"
#include "platform/Desktop.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QToolButton>

namespace {

const char *const HelpContextProperty = "HelpContext";

// The main-menu items that have shortcuts; while the window is busy they are
// disabled, so their keys do nothing.
constexpr const char *ShortcutItems[] = {"FileNewMn",       "FileOpenMn",   "FileCloseMn",
                                         "EditAddMn",       "EditDeleteMn", "EditExtractMn",
                                         "EditView1",       "EditUpdateMn", "EditCreateGroupIcons1",
                                         "EditSelectAllMn", "DeselectAll2", "HelpTopics1"};

QAction *AddItem(QMenu *menu, const TMenuItemSpec &spec) {
    if (QString::fromLatin1(spec.Caption) == QLatin1String("-")) {
        QAction *separator = menu->addSeparator();
        separator->setObjectName(QString::fromLatin1(spec.Name));
        return separator;
    }
    auto *action = new QAction(QString::fromLatin1(spec.Caption), menu);
    action->setObjectName(QString::fromLatin1(spec.Name));
    action->setStatusTip(QString::fromLatin1(spec.Hint));
    action->setProperty(HelpContextProperty, spec.HelpContext);
    if (*spec.Shortcut)
        action->setShortcut(QKeySequence(QString::fromLatin1(spec.Shortcut)));
    menu->addAction(action);
    return action;
}

struct TButtonGlyph {
    const char *Button;
    QStyle::StandardPixmap Glyph;
};

constexpr TButtonGlyph ButtonGlyphs[] = {
    {"SpdBtnNew", QStyle::SP_FileIcon},
    {"SpdBtnOpen", QStyle::SP_DialogOpenButton},
    {"SpdBtnClose", QStyle::SP_DialogCloseButton},
    {"SpdBtnInfo", QStyle::SP_FileDialogInfoView},
    {"SpdBtnAdd", QStyle::SP_ArrowUp},
    {"SpdBtnExtract", QStyle::SP_ArrowDown},
    {"SpdBtnRemove", QStyle::SP_TrashIcon},
    {"SpdBtnView", QStyle::SP_FileDialogContentsView},
    {"SpdBtnOptions", QStyle::SP_FileDialogDetailedView},
    {"SpdBtnHelp", QStyle::SP_DialogHelpButton},
};

// The abort button, and any other without a glyph of its own, shows a stop sign.
QStyle::StandardPixmap GlyphOf(const QString &name) {
    for (const TButtonGlyph &glyph : ButtonGlyphs)
        if (name == QLatin1String(glyph.Button))
            return glyph.Glyph;
    return QStyle::SP_BrowserStop;
}

bool IsOwnedBy(const QObject *object, const QObject *owner) {
    for (; object; object = object->parent()) {
        if (object == owner)
            return true;
    }
    return false;
}

} // namespace

void TMainFormFm::BuildToolbar() {
    for (const TToolButtonSpec &spec : ToolButtons()) {
        auto *button = new QToolButton(Panel1);
        const QString name = QString::fromLatin1(spec.Name);
        button->setObjectName(name);
        button->setGeometry(spec.X, 4, 38, 38);
        button->setAutoRaise(true);
        button->setIcon(style()->standardIcon(GlyphOf(name)));
        button->setIconSize(QSize(24, 24));
        button->setStatusTip(QString::fromLatin1(spec.Hint));
        button->setFocusPolicy(Qt::NoFocus);
    }
    Button("AbortSb")->setEnabled(false);
}

void TMainFormFm::BuildMenus() {
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMn"));
    auto topMenu = [&](const char *name, const char *caption) {
        auto *menu = new QMenu(QString::fromLatin1(caption), this);
        menu->setObjectName(QString::fromLatin1(name));
        menu->menuAction()->setObjectName(QString::fromLatin1(name) + QStringLiteral("Item"));
        bar->addMenu(menu);
        return menu;
    };

    FileMn = topMenu("FileMn", "&File");
    for (const TMenuItemSpec &spec : FileMenuItems()) {
        if (QLatin1String(spec.Name) == QLatin1String("FileFixMn")) {
            auto *fix = new QMenu(QString::fromLatin1(spec.Caption), this);
            fix->setObjectName(QStringLiteral("FileFixMnMenu"));
            QAction *item = fix->menuAction();
            item->setObjectName(QString::fromLatin1(spec.Name));
            item->setStatusTip(QString::fromLatin1(spec.Hint));
            item->setProperty(HelpContextProperty, spec.HelpContext);
            for (const TMenuItemSpec &sub : FixMenuItems())
                AddItem(fix, sub);
            FileMn->addMenu(fix);
            continue;
        }
        AddItem(FileMn, spec);
    }
    for (const TMenuItemSpec &spec : FileMenuTail())
        AddItem(FileMn, spec);

    EditMn = topMenu("EditMn", "&Edit");
    for (const TMenuItemSpec &spec : EditMenuItems())
        AddItem(EditMn, spec);

    OptionsMn = topMenu("OptionsMn", "&Options");
    for (const TMenuItemSpec &spec : OptionsMenuItems())
        AddItem(OptionsMn, spec);
    Item("MultidiskmodeMn")->setCheckable(true);
    Item("SaveSettingsonExit1")->setCheckable(true);
    Item("SaveSettingsonExit1")->setChecked(true);

    HelpMn = topMenu("HelpMn", "&Help");
    for (const TMenuItemSpec &spec : HelpMenuItems())
        AddItem(HelpMn, spec);

    connect(FileMn, &QMenu::aboutToShow, this, [this] { FileMnClick(); });
    connect(EditMn, &QMenu::aboutToShow, this, [this] { EditMnClick(); });
    connect(OptionsMn, &QMenu::aboutToShow, this, [this] { OptionsMnClick(); });
}

void TMainFormFm::BuildPopupMenu() {
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    for (const TPopupItemSpec &spec : PopupMenuItems()) {
        QAction *item = AddItem(PopupMenu1, spec.Item);
        // The main menu serves these shortcuts; here they are only shown.
        item->setShortcutContext(Qt::WidgetShortcut);
        if (*spec.Twin) {
            QAction *twin = Item(spec.Twin);
            connect(item, &QAction::triggered, twin, &QAction::trigger);
        }
    }
    connect(FilesLb, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        PopupMenu1Popup();
        PopupMenu1->popup(FilesLb->viewport()->mapToGlobal(pos));
    });
}

void TMainFormFm::ConnectCommands() {
    auto builtIn = [this](const char *name, void (TMainFormFm::*handler)()) {
        SetCommandHandler(name, [this, handler] { (this->*handler)(); });
    };
    builtIn("FileNewMn", &TMainFormFm::FileNewMnClick);
    builtIn("FileOpenMn", &TMainFormFm::FileOpenMnClick);
    builtIn("FileCloseMn", &TMainFormFm::FileCloseMnClick);
    builtIn("FileExitMn", &TMainFormFm::FileExitMnClick);
    builtIn("EditSelectAllMn", &TMainFormFm::EditSelectAllMnClick);
    builtIn("DeselectAll2", &TMainFormFm::DeselectAll2Click);
    auto find = std::make_shared<TFilesLbFind>(*FilesLb, *rows_);
    SetCommandHandler(QStringLiteral("EditFindMn"), [find] { find->Find(); });
    SetCommandHandler(QStringLiteral("EditFindNextMn"), [find] { find->FindNext(); });
    SetCommandHandler(QStringLiteral("EditSelectMatchingMn"), [this, find] {
        const int selected = find->SelectMatching();
        if (selected >= 0)
            SetStatusText(QString::number(selected) + QStringLiteral(" Entries selected."));
        UpdateSelectionButtons();
    });
    builtIn("MultidiskmodeMn", &TMainFormFm::MultidiskmodeMnClick);
    builtIn("SaveSettingsNow1", &TMainFormFm::SaveSettingsNow1Click);
    builtIn("HelpTopics1", &TMainFormFm::HelpTopics1Click);
    builtIn("Searchforhelpon1", &TMainFormFm::Searchforhelpon1Click);
    builtIn("HowtoUseHelp2", &TMainFormFm::HowtoUseHelp2Click);
    builtIn("QuickStartTutorial1", &TMainFormFm::QuickStartTutorial1Click);
    builtIn("ReadMeFile1", &TMainFormFm::ReadMeFile1Click);

    // Every main-menu item runs the command registered under its name; the
    // commands outside this window register themselves through the command
    // installer. SaveSettingsonExit1 only toggles its own check mark.
    for (QMenu *menu :
         {FileMn, EditMn, OptionsMn, HelpMn, findChild<QMenu *>(QStringLiteral("FileFixMnMenu"))}) {
        for (QAction *item : menu->actions()) {
            if (item->isSeparator() || item->menu() || item->objectName().isEmpty())
                continue;
            const QString name = item->objectName();
            connect(item, &QAction::triggered, this, [this, name] { RunItemCommand(name); });
        }
    }
    for (const auto &[button, itemName] : ButtonCommands()) {
        const QString name = QString::fromLatin1(itemName);
        connect(Button(button), &QToolButton::clicked, this,
                [this, name] { RunItemCommand(name); });
    }

    connect(FilesLb->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { UpdateSelectionButtons(); });
    connect(FilesLb, &QAbstractItemView::doubleClicked, this,
            [this] { RunCommand([this] { FilesLbDblClick(); }); });
    connect(FilesHd, &QHeaderView::sectionResized, this, [this] { FilesLb->viewport()->update(); });
    connect(FilesHd, &QHeaderView::sectionClicked, this,
            [this](int section) { FilesHdSectionClick(*FilesHd, *FilesLb, *rows_, section); });
}

void TMainFormFm::SetCommandHandler(const QString &itemName, std::function<void()> handler) {
    commands_.insert(itemName, std::move(handler));
}

bool TMainFormFm::HasCommandHandler(const QString &itemName) const {
    return commands_.contains(itemName);
}

void TMainFormFm::RunItemCommand(const QString &itemName) {
    const auto found = commands_.constFind(itemName);
    if (found != commands_.constEnd())
        RunCommand(*found);
}

void TMainFormFm::FileMnClick() {
    const TFileMenuEnabling e = FileMenuEnabling(ViewState());
    for (const char *name : {"FileNewMn", "FileOpenMn", "BrowseArchives1", "FileExitMn"})
        Item(name)->setEnabled(true);
    for (QAction *item : recentItems_)
        item->setEnabled(true);
    for (const char *name :
         {"FileCloseMn", "ArchiveInformation1", "CopyArchive1", "RenameArchive1", "FileDeleteMn"})
        Item(name)->setEnabled(e.Close);
    Item("FileTestMn")->setEnabled(e.Test);
    Item("FileFixMn")->setEnabled(e.Fix);
}

void TMainFormFm::EditMnClick() {
    const TEditMenuEnabling e = EditMenuEnabling(ViewState());
    Item("EditAddMn")->setEnabled(e.Add);
    Item("EditCreateGroupIcons1")->setEnabled(e.Add);
    Item("EditDeleteMn")->setEnabled(e.Delete);
    Item("EditExtractMn")->setEnabled(e.ExtractView);
    Item("EditView1")->setEnabled(e.ExtractView);
    Item("EditUpdateMn")->setEnabled(e.Update);
    Item("EditUpdateZIPDateMn")->setEnabled(e.UpdateDate);
    for (const char *name : {"EditSelectAllMn", "DeselectAll2", "AddComment1", "EditFindMn",
                             "EditFindNextMn", "EditSelectMatchingMn"})
        Item(name)->setEnabled(e.RowsPresent);
}

void TMainFormFm::OptionsMnClick() {
    Item("MultidiskmodeMn")->setChecked(session_.MainZip.MultidiskMode);
}

void TMainFormFm::PopupMenu1Popup() {
    EditMnClick();
    FileMnClick();
    for (const TPopupItemSpec &spec : PopupMenuItems()) {
        if (*spec.Twin)
            PopupMenu1->findChild<QAction *>(QString::fromLatin1(spec.Item.Name))
                ->setEnabled(Item(spec.Twin)->isEnabled());
    }
}

void TMainFormFm::RefreshMenuStates() {
    if (session_.BusyCount != 0) {
        // A disabled top-level menu blocks every shortcut of its items.
        for (const char *name : ShortcutItems)
            Item(name)->setEnabled(false);
        return;
    }
    FileMnClick();
    EditMnClick();
    OptionsMnClick();
    Item("HelpTopics1")->setEnabled(true);
}

void TMainFormFm::MultidiskmodeMnClick() {
    session_.MainZip.MultidiskMode = !session_.MainZip.MultidiskMode;
    Item("MultidiskmodeMn")->setChecked(session_.MainZip.MultidiskMode);
}

void TMainFormFm::MultidiskOff() {
    session_.MainZip.MultidiskMode = false;
    Item("MultidiskmodeMn")->setChecked(false);
}

bool TMainFormFm::eventFilter(QObject *watched, QEvent *event) {
    auto *menu = qobject_cast<QMenu *>(watched);
    if (menu && !IsOwnedBy(menu, this))
        menu = nullptr;
    switch (event->type()) {
    case QEvent::ShortcutOverride: {
        auto *widget = qobject_cast<QWidget *>(watched);
        auto *key = static_cast<QKeyEvent *>(event);
        // F1 on a highlighted item asks for that item's help topic.
        if (menu && key->key() == Qt::Key_F1 && key->modifiers() == Qt::NoModifier) {
            event->accept();
            return false;
        }
        if (widget && widget->window() == this)
            RefreshMenuStates();
        break;
    }
    case QEvent::KeyPress: {
        auto *key = static_cast<QKeyEvent *>(event);
        if (menu && key->key() == Qt::Key_F1 && key->modifiers() == Qt::NoModifier) {
            const QAction *active = menu->activeAction();
            const int context = active ? active->property(HelpContextProperty).toInt() : 0;
            menu->close();
            if (context > 0)
                platform::HelpContext(context);
            else
                platform::HelpContents();
            return true;
        }
        // Ctrl+letter keys belong to the menu items, also when an item is
        // disabled: the list must not select all or copy on its own.
        if (watched == FilesLb && key->modifiers() == Qt::ControlModifier &&
            key->key() >= Qt::Key_A && key->key() <= Qt::Key_Z)
            return true;
        break;
    }
    case QEvent::MouseButtonPress:
        if (watched == FilesLb->viewport())
            LastMouseDownPoint = static_cast<QMouseEvent *>(event)->position().toPoint();
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}
