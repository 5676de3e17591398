#!/usr/bin/env python3
"""Writes the page and dialog forms of this folder from the layout tables below.

The forms stay editable in Qt Designer; rerun this script only to rebuild them
from scratch. Every control that the program addresses by number carries the
dynamic property "controlId"; the English texts are the forms' own, the other
languages are applied by the program at run time.
"""
from pathlib import Path
from xml.dom import minidom
from xml.sax.saxutils import escape

HERE = Path(__file__).resolve().parent


def prop(name, inner, stdset=True):
    extra = '' if stdset else ' stdset="0"'
    return f'<property name="{name}"{extra}>{inner}</property>'


def label(name, text, control_id=None, value=False, align=None, word_wrap=False, cut=False):
    """A static text. Value fields, and with `cut` other texts, are ValueFields: a text too
    long for them is cut at its end and shown whole as their tool tip."""
    cls = VALUE_FIELD if value or cut else "QLabel"
    props = [prop("text", f"<string>{escape(text)}</string>")]
    if value:
        props.append(prop("frameShape", "<enum>QFrame::StyledPanel</enum>"))
        props.append(prop("frameShadow", "<enum>QFrame::Sunken</enum>"))
        props.append(prop("alignment", "<set>Qt::AlignCenter</set>"))
        props.append(prop("sizePolicy", '<sizepolicy hsizetype="Ignored" vsizetype="Fixed">'
                          '<horstretch>1</horstretch><verstretch>0</verstretch></sizepolicy>'))
    elif align:
        props.append(prop("alignment", f"<set>{align}</set>"))
    if word_wrap:
        props.append(prop("wordWrap", "<bool>true</bool>"))
    if control_id is not None:
        props.append(prop("controlId", f"<number>{control_id}</number>", stdset=False))
    return f'<widget class="{cls}" name="{name}">{"".join(props)}</widget>'


def item(widget, row=None, col=None, rowspan=1, colspan=1):
    if row is None:
        return f"<item>{widget}</item>"
    return (f'<item row="{row}" column="{col}" rowspan="{rowspan}" colspan="{colspan}">'
            f"{widget}</item>")


def grid(name, items, spacing=4, margins=(6, 4, 6, 6), stretch=None, row_spacing=None):
    left, top, right, bottom = margins
    row_spacing = spacing if row_spacing is None else row_spacing
    extra = f' columnstretch="{stretch}"' if stretch else ""
    return (f'<layout class="QGridLayout" name="{name}"{extra}>'
            f'{prop("horizontalSpacing", f"<number>{spacing}</number>")}'
            f'{prop("verticalSpacing", f"<number>{row_spacing}</number>")}'
            f'{prop("leftMargin", f"<number>{left}</number>")}'
            f'{prop("topMargin", f"<number>{top}</number>")}'
            f'{prop("rightMargin", f"<number>{right}</number>")}'
            f'{prop("bottomMargin", f"<number>{bottom}</number>")}'
            f'{"".join(items)}</layout>')


def group(name, title, control_id, layout):
    return (f'<widget class="QGroupBox" name="{name}">'
            f'{prop("title", f"<string>{escape(title)}</string>")}'
            f'{prop("controlId", f"<number>{control_id}</number>", stdset=False)}'
            f"{layout}</widget>")


def form(class_name, base, width, height, body, custom=""):
    return ('<?xml version="1.0" encoding="UTF-8"?>\n<ui version="4.0">'
            f"<class>{class_name}</class>"
            f'<widget class="{base}" name="{class_name}">'
            f'{prop("geometry", f"<rect><x>0</x><y>0</y><width>{width}</width><height>{height}</height></rect>")}'
            f"{body}</widget>{custom}<resources/><connections/></ui>\n")


def vbox(name, items, margins=(0, 0, 0, 0), spacing=4):
    left, top, right, bottom = margins
    return (f'<layout class="QVBoxLayout" name="{name}">'
            f'{prop("spacing", f"<number>{spacing}</number>")}'
            f'{prop("leftMargin", f"<number>{left}</number>")}'
            f'{prop("topMargin", f"<number>{top}</number>")}'
            f'{prop("rightMargin", f"<number>{right}</number>")}'
            f'{prop("bottomMargin", f"<number>{bottom}</number>")}'
            f'{"".join(items)}</layout>')


def spacer(name, vertical=True):
    orientation = "Qt::Vertical" if vertical else "Qt::Horizontal"
    return (f'<spacer name="{name}">{prop("orientation", f"<enum>{orientation}</enum>")}'
            f'{prop("sizeHint", "<size><width>0</width><height>0</height></size>")}</spacer>')


# A row of the two-column groups: (label id, label text, value id, unit id, unit text).
def pair_rows(prefix, rows):
    """rows: list of lists of cells; a cell is (label_name, label_id, text, value_id, unit)
    where unit is None or (unit_id, unit_text); a row with one cell spans the width."""
    items = []
    for r, cells in enumerate(rows):
        for c, (label_name, label_id, text, value_id, unit) in enumerate(cells):
            base = c * 3
            items.append(item(label(label_name, text, label_id), r, base))
            span = 1 if unit else (5 if len(cells) == 1 else 2)
            items.append(item(label(f"value{value_id}", "Static", value_id, value=True), r,
                              base + 1, 1, span))
            if unit:
                unit_id, unit_text = unit
                unit_name = f"unit{unit_id}" if unit_id else f"unit_{prefix}{r}{c}"
                items.append(item(label(unit_name, unit_text, unit_id), r, base + 2))
    return items


# The pages' groups of value rows. The System page stacks sixteen rows in five
# groups into the 449 pixels of the page area: rows 2 pixels apart and thin
# group margins leave room for the 16-pixel rows of the Chinese face.
PAGE_GROUP_GRID = {"row_spacing": 2, "margins": (6, 2, 6, 4)}


def system_page():
    def cell(label_id, text, value_id, unit=None):
        return (f"label{label_id}", label_id, text, value_id, unit)

    groups = [
        (1012, "System", [[cell(1013, "Comp. Name", 1014), cell(1017, "Current User", 1018)],
                          [cell(1019, "Date/Time", 1020)], [cell(1022, "Language", 1021)]]),
        (1015, "OS and Memory", [[cell(1024, "OS Name", 1042)],
                                 [cell(1025, "OS Version", 1028), cell(1026, "Other Info", 1044)],
                                 [cell(1030, "Total Size", 1045, (1036, "KB")),
                                  cell(1032, "Avail (Phy)", 1043, (1037, "KB"))],
                                 [cell(1034, "Total Pages", 1046, (1038, "KB"))]]),
        (1056, "Processor", [[cell(1057, "Processor", 1058)],
                             [cell(1059, "Vendor", 1060), cell(1085, "Socket Type", 1087)],
                             [cell(1061, "Family", 1062), cell(1047, "Model", 1027)],
                             [cell(1048, "Step", 1040), cell(1063, "Ratio", 1041)],
                             [cell(1065, "In-Clock", 1029, (1067, "MHz")),
                              cell(1064, "FSB", 1084, (1088, "MHz"))]]),
        (1068, "MotherBoard", [[cell(1069, "Manufacturer", 1076), cell(1070, "Model Name", 1075)],
                               [cell(1071, "Revision", 1074), cell(1072, "Release Date", 1073)]]),
        (1077, "BIOS", [[cell(1078, "Vendor", 1083)],
                        [cell(1079, "Version", 1082), cell(1080, "ROM Size", 1081, (1086, "KB"))]]),
    ]
    items = []
    for group_id, title, rows in groups:
        stretch = "0,1,0,0,1,0"
        layout = grid(f"grid{group_id}", pair_rows(str(group_id), rows), stretch=stretch,
                      **PAGE_GROUP_GRID)
        items.append(item(group(f"group{group_id}", title, group_id, layout)))
    items.append(item(spacer("pageSpacer")))
    return form("SystemPage", "QWidget", 392, 449, vbox("pageLayout", items, spacing=2),
                VALUE_FIELD_WIDGET)


IDE_GROUPS = [
    (1048, "IDE1(Master)", (1050, 1052, 1054, 1104, 1058, 1059, 1060, 1101)),
    (1067, "IDE1(Slave)", (1061, 1062, 1063, 1106, 1064, 1065, 1066, 1105)),
    (1080, "IDE2(Master)", (1074, 1075, 1076, 1111, 1077, 1078, 1079, 1110)),
    (1093, "IDE2(Slave)", (1087, 1088, 1089, 1116, 1090, 1091, 1092, 1115)),
]
IDE_LABELS = [("serialLabel", "Serial Number"), ("modelLabel", "Model Number"),
              ("firmwareLabel", "Firmware Rev"), ("mediaLabel", "Media Type"),
              ("majorLabel", "Major Ver."), ("dmaLabel", "DMA Mode(H)"),
              ("pioLabel", "PIO Mode(H)"), ("capacityLabel", "Capacity")]


def ide_page():
    items = []
    for group_id, title, values in IDE_GROUPS:
        cells = []
        for index, value_id in enumerate(values):
            name, text = IDE_LABELS[index]
            unit = (None, "MB") if name == "capacityLabel" else None
            cells.append((f"{name}{group_id}", None, text, value_id, unit))
        rows = [[cells[r], cells[r + 4]] for r in range(4)]
        grid_items = pair_rows(str(group_id), rows)
        # The unit label carries its group's number so every group's can be found.
        grid_items = [i.replace(f'name="unit_{group_id}31"', f'name="mbLabel{group_id}"')
                      for i in grid_items]
        # The left column's texts (serial, model, media type) run longer than the right's.
        layout = grid(f"grid{group_id}", grid_items, stretch="0,3,0,0,2,0", **PAGE_GROUP_GRID)
        items.append(item(group(f"group{group_id}", title, group_id, layout)))
    items.append(item(spacer("pageSpacer")))
    return form("IdePage", "QWidget", 392, 449, vbox("pageLayout", items, spacing=2),
                VALUE_FIELD_WIDGET)


VALUE_FIELD = "zelkora::app::ValueField"
VALUE_FIELD_WIDGET = ('<customwidgets><customwidget><class>zelkora::app::ValueField</class>'
                      '<extends>QLabel</extends><header>app/controls/value_field.h</header>'
                      '</customwidget></customwidgets>')

HYPERLINK = ('<customwidgets><customwidget><class>zelkora::app::HyperlinkLabel</class>'
             '<extends>QLabel</extends><header>app/controls/hyperlink_label.h</header>'
             '</customwidget></customwidgets>')


def about_page():
    centre = "Qt::AlignCenter"
    links = [("webLabel", "Web:", 1023), ("downloadLabel", "Download:", 1025),
             ("reportLabel", "Test Report:", 1027), ("forumLabel", "eForum:", 1026),
             ("faqLabel", "F A Q:", 1024)]
    rows = [item(label("telephoneLabel", "Telephone:"), 0, 0),
            item('<widget class="QComboBox" name="telephoneList">'
                 f'{prop("controlId", "<number>1032</number>", stdset=False)}</widget>', 0, 1)]
    for r, (name, text, link_id) in enumerate(links, start=1):
        rows.append(item(label(name, text), r, 0))
        rows.append(item(f'<widget class="zelkora::app::HyperlinkLabel" name="link{link_id}">'
                         f'{prop("text", "<string>http://www.example.com/</string>")}'
                         f'{prop("controlId", f"<number>{link_id}</number>", stdset=False)}'
                         "</widget>", r, 1))
    link_grid = grid("linkGrid", rows, spacing=6, margins=(40, 8, 40, 8))
    picture = ('<widget class="QLabel" name="picture">'
               f'{prop("pixmap", "<pixmap>:/images/about-146.png</pixmap>")}'
               f'{prop("alignment", f"<set>{centre}</set>")}'
               f'{prop("controlId", "<number>146</number>", stdset=False)}</widget>')
    items = [item(spacer("topSpacer")),
             item(label("versionLine", "Zelkora Version R1.02", align=centre)),
             item(picture),
             item(label("thanksLine", "Thank you for choosing Mirel!", align=centre)),
             f"<item>{link_grid}</item>",
             item(spacer("bottomSpacer"))]
    return form("AboutPage", "QWidget", 392, 449, vbox("pageLayout", items, spacing=10), HYPERLINK)


def reminder_dialog():
    lines = ["This utility will show you some information", "about your system. Because it need access ",
             "hardware directly, please close other running", "applications before you use it!"]
    icon = ('<widget class="QLabel" name="icon">'
            f'{prop("pixmap", "<pixmap>:/images/icon-128.png</pixmap>")}'
            f'{prop("alignment", "<set>Qt::AlignLeft|Qt::AlignTop</set>")}'
            f'{prop("controlId", "<number>128</number>", stdset=False)}</widget>')
    # A button 50 dialog units wide, as the template draws it.
    ok = ('<widget class="QPushButton" name="okButton">'
          f'{prop("maximumSize", "<size><width>75</width><height>16777215</height></size>")}'
          f'{prop("text", "<string>OK</string>")}'
          f'{prop("default", "<bool>true</bool>")}'
          f'{prop("controlId", "<number>1</number>", stdset=False)}</widget>')
    # Only the first line shares its row with the button; the others run on
    # beneath it, so every language's lines fit whole.
    rows = [item(icon, 0, 0, 4, 1), item(ok, 0, 2)]
    for r, text in enumerate(lines):
        rows.append(item(label(f"messageLine{r + 1}", text, cut=True), r, 1, 1, 1 if r == 0 else 2))
    rows.append(item(label("versionLine", "Zelkora Ver 1.02", align="Qt::AlignRight", cut=True),
                     4, 1, 1, 2))
    layout = grid("reminderLayout", rows, spacing=4, margins=(11, 11, 11, 8))
    body = prop("windowTitle", "<string>Reminder</string>") + layout
    return form("ReminderDialog", "QDialog", 394, 154, body, VALUE_FIELD_WIDGET)



REGISTER_DIALOG_WIDGETS = ('<customwidgets><customwidget><class>zelkora::app::CHexGridCtrl</class>'
                           '<extends>QWidget</extends><header>app/editors/hex_grid_ctrl.h</header>'
                           '</customwidget><customwidget><class>zelkora::app::ValueField</class>'
                           '<extends>QLabel</extends><header>app/controls/value_field.h</header>'
                           '</customwidget></customwidgets>')


def button(name, text, control_id, default=False, hidden=False):
    props = [prop("text", f"<string>{escape(text)}</string>")]
    if default:
        props.append(prop("default", "<bool>true</bool>"))
    if hidden:
        props.append(prop("visible", "<bool>false</bool>"))
    props.append(prop("controlId", f"<number>{control_id}</number>", stdset=False))
    return f'<widget class="QPushButton" name="{name}">{"".join(props)}</widget>'


def hidden(widget):
    return widget.replace("</widget>", prop("visible", "<bool>false</bool>") + "</widget>", 1)


def register_dialog(class_name, title, list_id, grid_id, detail_rows, width, height):
    """detail_rows: list of rows; a row is a list of (label names/texts, value id, span) where
    label names/texts is a list of (name, text) stacked in the label column."""
    detail = []
    for r, cells in enumerate(detail_rows):
        col = 0
        for labels, value_id, span in cells:
            if len(labels) == 1:
                name, text = labels[0]
                detail.append(item(label(name, text), r, col))
            else:
                box = vbox(f"labels{value_id}", [item(label(n, t)) for n, t in labels], spacing=0)
                detail.append(f'<item row="{r}" column="{col}">{box}</item>')
            detail.append(item(label(f"value{value_id}", "", value_id, value=True), r, col + 1,
                               1, span))
            col += 1 + span
    detail_group = ('<widget class="QGroupBox" name="detailGroup">'
                    f'{prop("title", "<string>Detail Information</string>")}'
                    f'{grid("detailGrid", detail)}</widget>')

    grid_widget = (f'<widget class="zelkora::app::CHexGridCtrl" name="hexGrid">'
                   f'{prop("controlId", f"<number>{grid_id}</number>", stdset=False)}</widget>')
    hex_area = f'<widget class="QWidget" name="hexArea">{grid_widget}</widget>'
    side = [item(label("offsetLabel", "Current Offset")),
            item(label("value1230", "-", 1230, value=True)),
            item(hidden(label("originalOffsetLabel", "Original Offset"))),
            item(hidden(label("value1233", "", 1233, value=True))),
            item(hidden(label("originalValueLabel", "Original Value"))),
            item(hidden(label("value1231", "-", 1231, value=True))),
            item(hidden(label("currentValueLabel", "Current Value"))),
            item(hidden(label("value1232", "-", 1232, value=True))),
            item(spacer("sideSpacer")),
            item(button("refreshButton", "Refresh", 32804, default=True)),
            item(button("changeButton", "CHANGE", 32788, hidden=True)),
            item(button("cancelButton", "Cancel", 1037, hidden=True))]
    notice = ('<widget class="QLabel" name="noticeLabel">'
              f'{prop("text", "<string></string>")}'
              f'{prop("visible", "<bool>false</bool>")}</widget>')
    hex_items = [item(hex_area, 0, 0), f'<item row="0" column="1">{vbox("sideLayout", side)}</item>',
                 item(notice, 1, 0, 1, 2)]
    hex_group = ('<widget class="QGroupBox" name="hexGroup">'
                 f'{prop("title", "<string>Hex Information</string>")}'
                 f'{grid("hexGrid_", hex_items, stretch="0,1")}</widget>')

    device_list = ('<widget class="QListWidget" name="deviceList">'
                   f'{prop("controlId", f"<number>{list_id}</number>", stdset=False)}</widget>')
    left = vbox("listLayout", [item(label("descriptionLabel", "Device Description",
                                          align="Qt::AlignCenter")),
                               item(device_list)])
    right = vbox("detailLayout", [item(detail_group), item(hex_group)])
    body = (prop("windowTitle", f"<string>{escape(title)}</string>") +
            '<layout class="QHBoxLayout" name="dialogLayout">'
            f'{prop("spacing", "<number>8</number>")}'
            f'<item>{left}</item><item>{right}</item></layout>')
    return form(class_name, "QDialog", width, height, body, REGISTER_DIALOG_WIDGETS)


def pci_register_dialog():
    def cell(name, text, value_id, span=1):
        return ([(name, text)], value_id, span)
    rows = [[cell("busLabel", "Bus Number", 1022), cell("deviceLabel", "Device Number", 1023),
             cell("functionLabel", "Function Number", 1024)],
            [cell("vendorLabel", "Vendor ID", 1016), cell("deviceIdLabel", "Device ID", 1019),
             cell("revisionLabel", "Revision", 1018)],
            [cell("subsystemLabel", "SubSystem", 1020, 3), cell("irqLabel", "IRQ", 1015)],
            [cell("classLabel", "Device Class", 1021, 5)]]
    return register_dialog("PCIRegisterDialog", "PCI Device", 1017, 1009, rows, 682, 450)


def superio_register_dialog():
    rows = [[([("typeLabel", "Super-I/O Type")], 1036, 3)],
            [([("chipIdLabel", "Device ID"), ("chipIdNote", "(Chip ID)")], 1035, 1),
             ([("chipRevisionLabel", "Device Revision"), ("chipRevisionNote", "(Chip Version)")],
              1039, 1)],
            [([("classLabel", "Device Class")], 1033, 3)],
            [([("addressLabel", "I/O Address")], 1034, 3)]]
    return register_dialog("SuperIORegisterDialog", "Super-I/O", 1030, 1010, rows, 615, 453)


if __name__ == "__main__":
    for name, text in [("system_page.ui", system_page()), ("ide_page.ui", ide_page()),
                       ("about_page.ui", about_page()), ("reminder_dialog.ui", reminder_dialog()),
                       ("pci_register_dialog.ui", pci_register_dialog()),
                       ("superio_register_dialog.ui", superio_register_dialog())]:
        pretty = minidom.parseString(text.encode("utf-8")).toprettyxml(indent=" ", encoding="UTF-8")
        (HERE / name).write_bytes(pretty)
