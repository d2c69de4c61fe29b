#pragma once

#include "platform/IDrawWindow.h"
#include "platform/IEntryPanel.h"
#include "platform/INameList.h"
#include "platform/ITextControl.h"

namespace pelorin::test {

class MemoryNameList : public INameList
{
public:
    void append(const QString& text) override { m_items.append(text); }
    void removeAt(int index) override
    {
        m_items.removeAt(index);
        if (m_selected >= m_items.size())
            m_selected = -1;
    }
    void clear() override
    {
        m_items.clear();
        m_selected = -1;
    }
    int count() const override { return static_cast<int>(m_items.size()); }
    QString textAt(int index) const override { return m_items.value(index); }
    int selectedIndex() const override { return m_selected; }
    void setSelectedIndex(int index) override { m_selected = index; }
    QStringList items() const override { return m_items; }
    void setItems(const QStringList& items) override
    {
        m_items = items;
        m_selected = -1;
    }
    void appendItems(const QStringList& items) override { m_items.append(items); }

private:
    QStringList m_items;
    int m_selected = -1;
};

class MemoryTextControl : public ITextControl
{
public:
    explicit MemoryTextControl(QString text = {})
        : m_text(std::move(text))
    {
    }
    QString text() const override { return m_text; }
    void setText(const QString& text) override { m_text = text; }

private:
    QString m_text;
};

// The entry panel in memory: the caption it was opened with, whether it shows, the text typed into it, and
// a log of every open and close.
class MemoryEntryPanel : public IEntryPanel
{
public:
    void open(const QString& heading) override
    {
        caption = heading;
        visible = true;
        log.append(QStringLiteral("open"));
    }
    void close() override
    {
        visible = false;
        log.append(QStringLiteral("close"));
    }
    QString text() const override { return typed; }

    QString caption;
    QString typed;
    bool visible = false;
    QStringList log;
};

// The draw window in memory: whether it is open and wide, and a log of the backdrop and the window
// shown and hidden, in order.
class MemoryDrawWindow : public IDrawWindow
{
public:
    explicit MemoryDrawWindow(QStringList* log = nullptr)
        : m_log(log)
    {
    }
    void open() override
    {
        say(QStringLiteral("backdrop+"));
        say(QStringLiteral("window+"));
        visible = true;
        wide = false;
    }
    void widen() override { wide = true; }
    void close() override
    {
        say(QStringLiteral("window-"));
        say(QStringLiteral("backdrop-"));
        visible = false;
        wide = false;
    }
    bool isOpen() const override { return visible; }

    bool visible = false;
    bool wide = false;

private:
    void say(const QString& what)
    {
        if (m_log)
            m_log->append(what);
    }
    QStringList* m_log;
};

} // namespace pelorin::test
