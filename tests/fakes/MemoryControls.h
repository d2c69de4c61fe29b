#pragma once

#include "platform/IEntryPanel.h"
#include "platform/INameList.h"
#include "platform/IPanel.h"
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

class MemoryPanel : public IPanel
{
public:
    void setVisible(bool visible) override { m_visible = visible; }
    bool isVisible() const override { return m_visible; }
    void setBounds(const QRect& twips) override { m_bounds = twips; }
    QRect bounds() const override { return m_bounds; }

private:
    bool m_visible = false;
    QRect m_bounds;
};

} // namespace pelorin::test
