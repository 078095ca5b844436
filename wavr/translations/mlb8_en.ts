<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>CMainFrame</name>
    <message>
        <source>加载设置</source>
        <translation>Load</translation>
    </message>
    <message>
        <source>加载DSP模式 1</source>
        <translation>Recall DSP preset 1</translation>
    </message>
    <message>
        <source>加载DSP模式 2</source>
        <translation>Recall DSP preset 2</translation>
    </message>
    <message>
        <source>加载DSP模式 3</source>
        <translation>Recall DSP preset 3</translation>
    </message>
    <message>
        <source>加载DSP模式 4</source>
        <translation>Recall DSP preset 4</translation>
    </message>
    <message>
        <source>从文件加载设置</source>
        <translation>Load settings from a file...</translation>
    </message>
    <message>
        <source>恢复出厂设置</source>
        <translation>Restore factory settings</translation>
    </message>
    <message>
        <source>退出(&amp;Q)</source>
        <translation>&amp;Quit</translation>
    </message>
    <message>
        <source>储存设置</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>保存DSP模式 1</source>
        <translation>Store in DSP preset 1</translation>
    </message>
    <message>
        <source>保存DSP模式 2</source>
        <translation>Store in DSP preset 2</translation>
    </message>
    <message>
        <source>保存DSP模式 3</source>
        <translation>Store in DSP preset 3</translation>
    </message>
    <message>
        <source>保存DSP模式 4</source>
        <translation>Store in DSP preset 4</translation>
    </message>
    <message>
        <source>储存到指定DSP文件</source>
        <translation>Save to a preset file...</translation>
    </message>
    <message>
        <source>保存到DSP</source>
        <translation>Save to the current preset file</translation>
    </message>
    <message>
        <source>参数设置</source>
        <translation>Pages</translation>
    </message>
    <message>
        <source>系统设置</source>
        <translation>Configuration</translation>
    </message>
    <message>
        <source>均衡器</source>
        <translation>Equalizer</translation>
    </message>
    <message>
        <source>斜率</source>
        <translation>Crossover</translation>
    </message>
    <message>
        <source>延时调整</source>
        <translation>Time alignment</translation>
    </message>
    <message>
        <source>帮助</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
</context>
<context>
    <name>editor</name>
    <message>
        <source>MLB-8 DSP 管理工具</source>
        <translation>MLB-8 DSP Manager</translation>
    </message>
    <message>
        <source>正在保存中.....</source>
        <translation>Saving.....</translation>
    </message>
    <message>
        <source>正在保存中......</source>
        <translation>Saving......</translation>
    </message>
</context>
</TS>
