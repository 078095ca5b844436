<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="en">
<context>
    <name>EditMenu</name>
    <message>
        <source>Edit</source>
        <translation>编辑</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>撤销</translation>
    </message>
    <message>
        <source>Redo</source>
        <translation>重做</translation>
    </message>
    <message>
        <source>Switch to B</source>
        <translation>切换到 B</translation>
    </message>
    <message>
        <source>Switch to A</source>
        <translation>切换到 A</translation>
    </message>
    <message>
        <source>Copy A to B</source>
        <translation>复制 A 到 B</translation>
    </message>
    <message>
        <source>Copy B to A</source>
        <translation>复制 B 到 A</translation>
    </message>
</context>
<context>
    <name>CAbSwitch</name>
    <message>
        <source>A/B comparison (F8 switches, Edit menu copies)</source>
        <translation>A/B 对比（F8 切换，“编辑”菜单复制）</translation>
    </message>
</context>
<context>
    <name>CWAVRView</name>
    <message>
        <source>Load anyway</source>
        <translation>仍然加载</translation>
    </message>
</context>
<context>
    <name>CAboutDlg</name>
    <message>
        <source>Set-up software for the MLB-8 eight-channel car-audio
digital signal processor: levels, 10-band equalizer,
crossovers, time alignment and input routing.</source>
        <translation>MLB-8 八通道汽车音响数字信号处理器的调音软件：
电平、10 段均衡器、分频器、延时调整和输入路由。</translation>
    </message>
    <message>
        <source>ON THE WEB</source>
        <translation>网站</translation>
    </message>
    <message>
        <source>Connect the processor over USB;
it is found on any port.</source>
        <translation>用 USB 连接处理器；
任何端口都能找到它。</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>版本 %1</translation>
    </message>
</context>
<context>
    <name>CSystemGraph</name>
    <message>
        <source>Sum: click an output</source>
        <translation>总和：点击一个输出</translation>
    </message>
    <message>
        <source>phase</source>
        <translation>相位</translation>
    </message>
    <message>
        <source>phase, common delay of %1 ms taken out</source>
        <translation>相位，已去除 %1 ms 的共同延时</translation>
    </message>
    <message>
        <source> (muted)</source>
        <translation>（已静音）</translation>
    </message>
</context>
<context>
    <name>CEqTools</name>
    <message>
        <source>Align outputs...</source>
        <translation>对齐输出...</translation>
    </message>
    <message>
        <source>Align outputs</source>
        <translation>对齐输出</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>应用</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Equalizer tools</source>
        <translation>均衡器工具</translation>
    </message>
    <message>
        <source>Import filters...</source>
        <translation>导入滤波器...</translation>
    </message>
    <message>
        <source>Export filters...</source>
        <translation>导出滤波器...</translation>
    </message>
    <message>
        <source>Load measurement...</source>
        <translation>加载测量...</translation>
    </message>
    <message>
        <source>Load target curve...</source>
        <translation>加载目标曲线...</translation>
    </message>
    <message>
        <source>Fit equalizer to measurement</source>
        <translation>按测量拟合均衡器</translation>
    </message>
    <message>
        <source>Show measurement</source>
        <translation>显示测量</translation>
    </message>
    <message>
        <source>Show target</source>
        <translation>显示目标</translation>
    </message>
    <message>
        <source>Show prediction</source>
        <translation>显示预测</translation>
    </message>
    <message>
        <source>Clear measurement</source>
        <translation>清除测量</translation>
    </message>
    <message>
        <source>Import filters</source>
        <translation>导入滤波器</translation>
    </message>
    <message>
        <source>Export filters</source>
        <translation>导出滤波器</translation>
    </message>
    <message>
        <source>Load measurement</source>
        <translation>加载测量</translation>
    </message>
    <message>
        <source>Load target curve</source>
        <translation>加载目标曲线</translation>
    </message>
    <message>
        <source>Filter lists (*.txt *.cfg);;All files (*)</source>
        <translation>滤波器列表 (*.txt *.cfg);;所有文件 (*)</translation>
    </message>
    <message>
        <source>Measurements (*.txt *.frd *.csv);;All files (*)</source>
        <translation>测量 (*.txt *.frd *.csv);;所有文件 (*)</translation>
    </message>
    <message>
        <source>Import into output %1: %2</source>
        <translation>导入到输出 %1：%2</translation>
    </message>
    <message>
        <source>Import into outputs %1 and %2: %3</source>
        <translation>导入到输出 %1 和 %2：%3</translation>
    </message>
    <message>
        <source>Export of output %1</source>
        <translation>输出 %1 的导出</translation>
    </message>
    <message>
        <source>Measurement for output %1</source>
        <translation>输出 %1 的测量</translation>
    </message>
    <message>
        <source>Target for output %1</source>
        <translation>输出 %1 的目标</translation>
    </message>
    <message>
        <source>Fit of output %1</source>
        <translation>输出 %1 的拟合</translation>
    </message>
    <message>
        <source>Fit of output %1 to %2</source>
        <translation>输出 %1 按 %2 拟合</translation>
    </message>
    <message>
        <source>Measurement</source>
        <translation>测量</translation>
    </message>
    <message>
        <source>Measurement is of the bare driver</source>
        <translation>测量的是裸单元（未经处理器）</translation>
    </message>
    <message>
        <source>Measured through Out %1</source>
        <translation>经输出 %1 的设置测量</translation>
    </message>
    <message>
        <source>Measured: bare driver</source>
        <translation>测量：裸单元</translation>
    </message>
    <message>
        <source>Target</source>
        <translation>目标</translation>
    </message>
    <message>
        <source>Prediction</source>
        <translation>预测</translation>
    </message>
</context>
<context>
    <name>help</name>
    <message>
        <source>A/B comparison: two complete settings, the lit side is the one playing. &#13;
Click the other side or press F8 to hear it; Edit &gt; Copy puts the playing setting over the other.</source>
        <translation>A/B 对比：两套完整的设置，亮起的一侧是正在播放的设置。&#13;
点击另一侧或按 F8 试听；“编辑”&gt;“复制”把正在播放的设置复制到另一侧。</translation>
    </message>
    <message>
        <source>SYSTEM shows every output the configuration drives, with its level, polarity and delay, &#13;
and the sum of the outputs ticked in the legend. Click again for the selected channel's graph.</source>
        <translation>SYSTEM 显示配置所驱动的每个输出，包括其电平、极性和延时，&#13;
以及图例中勾选的输出的总和。再次点击回到所选通道的曲线。</translation>
    </message>
    <message>
        <source>PHASE adds each output's phase as a dashed line, on the scale at the right (degrees), &#13;
with the delay all outputs share taken out.</source>
        <translation>PHASE 以虚线加上每个输出的相位，刻度在右侧（度），&#13;
已去除所有输出共同的延时。</translation>
    </message>
    <message>
        <source>UNWRAP draws the phase without its jumps of 360 degrees, so that a delay shows as a falling line; &#13;
the scale grows in round steps to hold every curve.</source>
        <translation>UNWRAP 绘制不带 360 度跳变的相位，延时显示为下降的线；&#13;
刻度按整数步进扩展以容纳所有曲线。</translation>
    </message>
    <message>
        <source>The response of the selected channel and its partner with the equalizer and crossover as set &#13;
(level in dB over frequency). The Equalizer tools menu adds a measurement, its target and the prediction.</source>
        <translation>所选通道及其配对通道在当前均衡器和分频器设置下的响应&#13;
（电平 dB 随频率变化）。“均衡器工具”菜单可加入测量、目标和预测曲线。</translation>
    </message>
    <message>
        <source>The legend of the curves laid over the graph: the measurement (grey), the target (green, dashed) &#13;
and the prediction (white); the Equalizer tools menu shows or hides each.</source>
        <translation>叠加曲线的图例：测量（灰色）、目标（绿色虚线）&#13;
和预测（白色）；可在“均衡器工具”菜单中显示或隐藏。</translation>
    </message>
    <message>
        <source>Every output in its colour, the selected one bold, the sum in thick white. &#13;
Click a curve to select its channel.</source>
        <translation>每个输出以其颜色显示，所选输出加粗，总和为粗白线。&#13;
点击曲线可选择其通道。</translation>
    </message>
    <message>
        <source>The outputs and their speakers. Click an output to add it to the sum or take it out; &#13;
the sum line names its outputs and says when measurements are used.</source>
        <translation>输出及其扬声器。点击输出可将其加入或移出总和；&#13;
总和一行列出其输出，并说明是否使用了测量。</translation>
    </message>
    <message>
        <source>The settings read back differ from those this window knew: the A/B comparison and the undo history start afresh, and nothing of the earlier settings is sent.</source>
        <translation>读回的设置与窗口所知的不同：A/B 比较和撤销记录已重新开始，不会发送之前的设置。</translation>
    </message>
</context>
<context>
    <name>editor</name>
    <message>
        <source>Load a measurement with phase for every output to align (each taken with the same timing reference), then align.</source>
        <translation>为每个要对齐的输出加载带相位的测量（全部使用同一时间基准测得），然后再对齐。</translation>
    </message>
    <message>
        <source>no output to align: give each output&apos;s measurement</source>
        <translation>没有可对齐的输出：请为每个输出加载测量</translation>
    </message>
    <message>
        <source>the measurement of Out %1 has no phase: it cannot be aligned</source>
        <translation>输出 %1 的测量没有相位：无法对齐</translation>
    </message>
    <message>
        <source>Writing the bands to the processor failed.</source>
        <translation>向处理器写入频段失败。</translation>
    </message>
    <message>
        <source>Wrote the bands of output %1 to %2.</source>
        <translation>已将输出 %1 的频段写入 %2。</translation>
    </message>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>无法写入 %1：%2</translation>
    </message>
    <message>
        <source>Load a measurement for this output first.</source>
        <translation>请先为此输出加载测量。</translation>
    </message>
    <message>
        <source>Fit range: the passband of the output's crossover.</source>
        <translation>拟合范围：该输出分频器的通带。</translation>
    </message>
    <message>
        <source>Imported %1 filter into the bands; %2 left flat.</source>
        <translation>已将 %1 个滤波器导入频段；%2 个保持平直。</translation>
    </message>
    <message>
        <source>Imported %1 filters into the bands; %2 left flat.</source>
        <translation>已将 %1 个滤波器导入频段；%2 个保持平直。</translation>
    </message>
    <message>
        <source>Imported %1 filter into the bands; %2 left flat. %3 values rounded to the processor's steps.</source>
        <translation>已将 %1 个滤波器导入频段；%2 个保持平直。%3 个值已取整到处理器的步进。</translation>
    </message>
    <message>
        <source>Imported %1 filters into the bands; %2 left flat. %3 values rounded to the processor's steps.</source>
        <translation>已将 %1 个滤波器导入频段；%2 个保持平直。%3 个值已取整到处理器的步进。</translation>
    </message>
    <message>
        <source>line %1: %2</source>
        <translation>第 %1 行：%2</translation>
    </message>
    <message>
        <source>Fc %1 -&gt; %2 (the bands reach 16..20000 Hz)</source>
        <translation>Fc %1 -&gt; %2（频段范围 16..20000 Hz）</translation>
    </message>
    <message>
        <source>Gain %1 -&gt; %2 (the bands reach -12..+12 dB)</source>
        <translation>增益 %1 -&gt; %2（频段范围 -12..+12 dB）</translation>
    </message>
    <message>
        <source>Q %1 -&gt; %2 (BandWidth = 2 Q reaches 1.0..10.0, Q 0.5..5)</source>
        <translation>Q %1 -&gt; %2（带宽 = 2 Q，范围 1.0..10.0，Q 0.5..5）</translation>
    </message>
    <message>
        <source>Preamp %1 not imported: the bands have no preamp (lower the output's level instead)</source>
        <translation>前级增益 %1 未导入：频段没有前级增益（请改为降低该输出的电平）</translation>
    </message>
    <message>
        <source>Preamp not imported: the bands have no preamp (lower the output's level instead)</source>
        <translation>前级增益未导入：频段没有前级增益（请改为降低该输出的电平）</translation>
    </message>
    <message>
        <source>'%1': channel selections are not followed; the filters go to the chosen output</source>
        <translation>“%1”：不遵循声道选择；滤波器用于所选输出</translation>
    </message>
    <message>
        <source>not understood, ignored</source>
        <translation>无法理解，已忽略</translation>
    </message>
    <message>
        <source>unreadable filter (%1), not imported</source>
        <translation>无法读取的滤波器（%1），未导入</translation>
    </message>
    <message>
        <source>filter is OFF, not imported</source>
        <translation>滤波器为关闭状态，未导入</translation>
    </message>
    <message>
        <source>empty filter (no type), skipped</source>
        <translation>空滤波器（无类型），已跳过</translation>
    </message>
    <message>
        <source>%1 filter not importable (the bands are peaking sections)</source>
        <translation>%1 滤波器无法导入（频段为峰值滤波器）</translation>
    </message>
    <message>
        <source>incomplete filter (no Fc), not imported</source>
        <translation>不完整的滤波器（无 Fc），未导入</translation>
    </message>
    <message>
        <source>incomplete filter (no gain), not imported</source>
        <translation>不完整的滤波器（无增益），未导入</translation>
    </message>
    <message>
        <source>Fc %1 Hz is not a frequency, not imported</source>
        <translation>Fc %1 Hz 不是频率，未导入</translation>
    </message>
    <message>
        <source>Q %1 is not a usable value, not imported</source>
        <translation>Q %1 不是可用的值，未导入</translation>
    </message>
    <message>
        <source>'%1' is not a filter, ignored</source>
        <translation>“%1”不是滤波器，已忽略</translation>
    </message>
    <message>
        <source>PK %1 %2 left out: the output has ten bands</source>
        <translation>PK %1 %2 未导入：该输出只有十个频段</translation>
    </message>
    <message>
        <source>no Q given; Q %1 used</source>
        <translation>未给出 Q；使用 Q %1</translation>
    </message>
    <message>
        <source>no ON or OFF</source>
        <translation>没有 ON 或 OFF</translation>
    </message>
    <message>
        <source>'%1' where ON or OFF belongs</source>
        <translation>此处应为 ON 或 OFF，却是“%1”</translation>
    </message>
    <message>
        <source>'%1' is not a filter value</source>
        <translation>“%1”不是滤波器参数</translation>
    </message>
    <message>
        <source>no value after %1</source>
        <translation>%1 之后没有值</translation>
    </message>
    <message>
        <source>'%1' is not a number</source>
        <translation>“%1”不是数字</translation>
    </message>
    <message>
        <source>unit '%1' of Fc</source>
        <translation>Fc 的单位“%1”</translation>
    </message>
    <message>
        <source>unit '%1' of the gain</source>
        <translation>增益的单位“%1”</translation>
    </message>
    <message>
        <source>No filter lines found: this is not a filter file.</source>
        <translation>没有找到滤波器行：这不是滤波器文件。</translation>
    </message>
    <message>
        <source>No peaking filter that is ON was found; nothing was imported.</source>
        <translation>没有找到开启的峰值滤波器；未导入任何内容。</translation>
    </message>
    <message>
        <source>No data lines (frequency and level) found: this is not a measurement.</source>
        <translation>没有找到数据行（频率和电平）：这不是测量文件。</translation>
    </message>
    <message>
        <source>Fewer than two distinct frequencies: this is not a measurement.</source>
        <translation>不同频率少于两个：这不是测量文件。</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1：%2</translation>
    </message>
    <message>
        <source>Cannot open %1 (%2).</source>
        <translation>无法打开 %1（%2）。</translation>
    </message>
    <message>
        <source>Cannot open %1.</source>
        <translation>无法打开 %1。</translation>
    </message>
    <message>
        <source>Cannot read %1.</source>
        <translation>无法读取 %1。</translation>
    </message>
    <message>
        <source>The file is larger than %1: it is not %2.</source>
        <translation>文件大于 %1：它不是%2。</translation>
    </message>
    <message>
        <source>The file holds binary data: it is not %1.</source>
        <translation>文件包含二进制数据：它不是%1。</translation>
    </message>
    <message>
        <source>a filter file</source>
        <translation>滤波器文件</translation>
    </message>
    <message>
        <source>a measurement export</source>
        <translation>测量导出文件</translation>
    </message>
    <message>
        <source>No measurement or target on the grid.</source>
        <translation>网格上没有测量或目标。</translation>
    </message>
    <message>
        <source>The fit range is empty.</source>
        <translation>拟合范围为空。</translation>
    </message>
    <message>
        <source>Fewer than eight points of the grid lie in the fit range where both the measurement and the target are known.</source>
        <translation>拟合范围内同时有测量和目标的网格点少于八个。</translation>
    </message>
    <message>
        <source>Band %1: %2 Hz %3 dB BandWidth %4 (Q %5)</source>
        <translation>频段 %1：%2 Hz %3 dB 带宽 %4（Q %5）</translation>
    </message>
    <message>
        <source>RMS deviation from the target over %1..%2 Hz (%3 points): %4 dB before, %5 dB after.</source>
        <translation>%1..%2 Hz 范围内与目标的均方根偏差（%3 个点）：之前 %4 dB，之后 %5 dB。</translation>
    </message>
    <message>
        <source>No band improves on the flat equalizer: all bands are left flat.</source>
        <translation>没有频段优于平直均衡器：所有频段保持平直。</translation>
    </message>
    <message>
        <source>%1 band used, the rest flat:</source>
        <translation>使用了 %1 个频段，其余平直：</translation>
    </message>
    <message>
        <source>%1 bands used, the rest flat:</source>
        <translation>使用了 %1 个频段，其余平直：</translation>
    </message>
    <message>
        <source>Out %1</source>
        <translation>输出 %1</translation>
    </message>
    <message>
        <source>Out %1 %2</source>
        <translation>输出 %1 %2</translation>
    </message>
    <message>
        <source>Out %1 + %2</source>
        <translation>输出 %1 + %2</translation>
    </message>
    <message>
        <source>Out %1, %2</source>
        <translation>输出 %1、%2</translation>
    </message>
    <message>
        <source>Tweeter L</source>
        <translation>高音 左</translation>
    </message>
    <message>
        <source>Tweeter R</source>
        <translation>高音 右</translation>
    </message>
    <message>
        <source>Mid L</source>
        <translation>中音 左</translation>
    </message>
    <message>
        <source>Mid R</source>
        <translation>中音 右</translation>
    </message>
    <message>
        <source>Woofer L</source>
        <translation>低音 左</translation>
    </message>
    <message>
        <source>Woofer R</source>
        <translation>低音 右</translation>
    </message>
    <message>
        <source>Front L</source>
        <translation>前 左</translation>
    </message>
    <message>
        <source>Front R</source>
        <translation>前 右</translation>
    </message>
    <message>
        <source>Rear L</source>
        <translation>后 左</translation>
    </message>
    <message>
        <source>Rear R</source>
        <translation>后 右</translation>
    </message>
    <message>
        <source>Sub L</source>
        <translation>超低音 左</translation>
    </message>
    <message>
        <source>Sub R</source>
        <translation>超低音 右</translation>
    </message>
    <message>
        <source>Centre</source>
        <translation>中置</translation>
    </message>
    <message>
        <source>Sub</source>
        <translation>超低音</translation>
    </message>
    <message>
        <source>Sum %1</source>
        <translation>总和 %1</translation>
    </message>
    <message>
        <source>Sum %1 (measured)</source>
        <translation>总和 %1（测量）</translation>
    </message>
    <message>
        <source>Sum %1 (measured, drawn %2 dB lower)</source>
        <translation>总和 %1（测量，绘制时降低 %2 dB）</translation>
    </message>
    <message>
        <source>Sum %1 (measured, drawn %2 dB higher)</source>
        <translation>总和 %1（测量，绘制时升高 %2 dB）</translation>
    </message>
    <message>
        <source>Processor-only sum: no measurement for %1</source>
        <translation>仅按处理器计算的总和：%1 没有测量</translation>
    </message>
    <message>
        <source>Processor-only sum: no phase in the measurement of %1</source>
        <translation>仅按处理器计算的总和：%1 的测量没有相位</translation>
    </message>
    <message>
        <source>Processor-only sum: no measurement for %1; no phase in the measurement of %2</source>
        <translation>仅按处理器计算的总和：%1 没有测量；%2 的测量没有相位</translation>
    </message>
    <message>
        <source>The serial port %1 is %2.</source>
        <translation>串口 %1 %2。</translation>
    </message>
    <message>
        <source>in use by another program (pid %1)</source>
        <translation>正被另一个程序使用（pid %1）</translation>
    </message>
    <message>
        <source>in use by another program</source>
        <translation>正被另一个程序使用</translation>
    </message>
    <message>
        <source>not a serial port</source>
        <translation>不是串口</translation>
    </message>
    <message>
        <source>not present</source>
        <translation>不存在</translation>
    </message>
    <message>
        <source>cannot be opened</source>
        <translation>无法打开</translation>
    </message>
    <message>
        <source>no permission to open it (add your user to the 'dialout' group, then log in again)</source>
        <translation>没有打开它的权限（请把你的用户加入“dialout”组，然后重新登录）</translation>
    </message>
    <message>
        <source>Close that program, then plug the processor in again.</source>
        <translation>请关闭该程序，然后重新插入处理器。</translation>
    </message>
    <message>
        <source>No permission to open the serial port %1.</source>
        <translation>没有打开串口 %1 的权限。</translation>
    </message>
    <message>
        <source>Add your user to the 'dialout' group (sudo usermod -aG dialout $USER), then log in again.</source>
        <translation>请把你的用户加入“dialout”组（sudo usermod -aG dialout $USER），然后重新登录。</translation>
    </message>
    <message>
        <source>%1 is not a complete preset:</source>
        <translation>%1 不是完整的预设：</translation>
    </message>
    <message>
        <source>The preset file &quot;%1&quot;</source>
        <translation>预设文件“%1”</translation>
    </message>
    <message>
        <source>The factory settings file &quot;%1&quot;</source>
        <translation>出厂设置文件“%1”</translation>
    </message>
    <message>
        <source>%1 key of %2 is missing (%3); they would load as their defaults (crossovers and equalizer bands off, levels at -64 dB, delays 0).</source>
        <translation>%2 个键中缺少 %1 个（%3）；它们将以默认值加载（分频器和均衡频段关闭，电平 -64 dB，延时 0）。</translation>
    </message>
    <message>
        <source>%1 keys of %2 are missing (%3); they would load as their defaults (crossovers and equalizer bands off, levels at -64 dB, delays 0).</source>
        <translation>%2 个键中缺少 %1 个（%3）；它们将以默认值加载（分频器和均衡频段关闭，电平 -64 dB，延时 0）。</translation>
    </message>
    <message>
        <source>%1 value is not a number and would load as 0: %2.</source>
        <translation>%1 个值不是数字，将按 0 加载：%2。</translation>
    </message>
    <message>
        <source>%1 values are not numbers and would load as 0: %2.</source>
        <translation>%1 个值不是数字，将按 0 加载：%2。</translation>
    </message>
    <message>
        <source>%1 value is out of range and would be changed: %2.</source>
        <translation>%1 个值超出范围，将被修改：%2。</translation>
    </message>
    <message>
        <source>%1 values are out of range and would be changed: %2.</source>
        <translation>%1 个值超出范围，将被修改：%2。</translation>
    </message>
    <message>
        <source>%1 and %2 more</source>
        <translation>%1 及另外 %2 个</translation>
    </message>
    <message>
        <source>The preset file &quot;%1&quot; could not be saved: %2.</source>
        <translation>无法保存预设文件“%1”：%2。</translation>
    </message>
    <message>
        <source>The preset file &quot;%1&quot; could not be read: %2.</source>
        <translation>无法读取预设文件“%1”：%2。</translation>
    </message>
    <message>
        <source>The preset file &quot;%1&quot; could not be opened: %2.</source>
        <translation>无法打开预设文件“%1”：%2。</translation>
    </message>
    <message>
        <source>The factory settings file &quot;%1&quot; could not be read: %2. Nothing was changed.</source>
        <translation>无法读取出厂设置文件“%1”：%2。未做任何更改。</translation>
    </message>
    <message>
        <source>not a preset file</source>
        <translation>不是预设文件</translation>
    </message>
    <message>
        <source>RMS deviation from the target over the %1 points the fit used, %2..%3 Hz: %4 dB before, %5 dB after.</source>
        <translation>拟合所用 %1 个点（%2..%3 Hz）与目标的均方根偏差：之前 %4 dB，之后 %5 dB。</translation>
    </message>
    <message>
        <source>The measurement has data only in %1..%2 Hz: the fit covers no more.</source>
        <translation>测量只有 %1..%2 Hz 的数据：拟合不超出此范围。</translation>
    </message>
    <message>
        <source>Dip at %1 Hz (%2 dB deep, %3 octave wide at half its depth) left alone: %4; its %5 points are not in the figures.</source>
        <translation>%1 Hz 处的凹陷（深 %2 dB，半深处宽 %3 倍频程）不作补偿：%4；其 %5 个点不计入上述数字。</translation>
    </message>
    <message>
        <source>deeper than %1 dB and narrower than %2 octave</source>
        <translation>深于 %1 dB 且窄于 %2 倍频程</translation>
    </message>
    <message>
        <source>deeper than %1 dB</source>
        <translation>深于 %1 dB</translation>
    </message>
    <message>
        <source>narrower than %1 octave</source>
        <translation>窄于 %1 倍频程</translation>
    </message>
    <message>
        <source>Highest level of the bands together: %1 dB at %2 Hz (limit %3 dB).</source>
        <translation>各频段叠加后的最高电平：%2 Hz 处 %1 dB（上限 %3 dB）。</translation>
    </message>
    <message>
        <source>PK %1 %2 left out: the output has ten bands and it rounds to 0 dB</source>
        <translation>PK %1 %2 未导入：该输出只有十个频段，且它取整后为 0 dB</translation>
    </message>
    <message>
        <source>PK %1 %2 left out: the output has ten bands; leaving it out changes the curve by %3 dB RMS, %4 dB max</source>
        <translation>PK %1 %2 未导入：该输出只有十个频段；不导入它使曲线改变均方根 %3 dB，最大 %4 dB</translation>
    </message>
    <message>
        <source>Leaving out %1 filter changes the curve by %2 dB RMS, %3 dB max (%4..%5 Hz)</source>
        <translation>未导入 %1 个滤波器，曲线改变均方根 %2 dB，最大 %3 dB（%4..%5 Hz）</translation>
    </message>
    <message>
        <source>Leaving out %1 filters changes the curve by %2 dB RMS, %3 dB max (%4..%5 Hz)</source>
        <translation>未导入 %1 个滤波器，曲线改变均方根 %2 dB，最大 %3 dB（%4..%5 Hz）</translation>
    </message>
    <message>
        <source>%1: the file is refused, nothing was imported.</source>
        <translation>%1：文件被拒绝，未导入任何内容。</translation>
    </message>
    <message>
        <source>Fc %1 Hz is no audio frequency (more than 1 MHz)</source>
        <translation>Fc %1 Hz 不是音频频率（超过 1 MHz）</translation>
    </message>
    <message>
        <source>Gain %1 is beyond any filter (more than 100 dB)</source>
        <translation>增益 %1 超出任何滤波器的范围（超过 100 dB）</translation>
    </message>
    <message>
        <source>Q %1 is beyond any filter (outside 0.001..1000)</source>
        <translation>Q %1 超出任何滤波器的范围（不在 0.001..1000 之内）</translation>
    </message>
    <message>
        <source>Used %1 points, %2..%3 Hz, the level from the column &quot;%4&quot;.</source>
        <translation>使用了 %1 个点，%2..%3 Hz，电平取自“%4”列。</translation>
    </message>
    <message>
        <source>Used %1 points, %2..%3 Hz.</source>
        <translation>使用了 %1 个点，%2..%3 Hz。</translation>
    </message>
    <message>
        <source>lines %1-%2: %3</source>
        <translation>第 %1-%2 行：%3</translation>
    </message>
    <message>
        <source>... and %1 more line.</source>
        <translation>……另有 %1 行。</translation>
    </message>
    <message>
        <source>... and %1 more lines.</source>
        <translation>……另有 %1 行。</translation>
    </message>
    <message>
        <source>not a line of numbers</source>
        <translation>不是一行数字</translation>
    </message>
    <message>
        <source>a frequency without a level</source>
        <translation>只有频率，没有电平</translation>
    </message>
    <message>
        <source>more numbers than frequency, level and phase</source>
        <translation>数字多于频率、电平和相位三项</translation>
    </message>
    <message>
        <source>fewer columns than the header names</source>
        <translation>列数少于标题行所列</translation>
    </message>
    <message>
        <source>the frequency is not a number</source>
        <translation>频率不是数字</translation>
    </message>
    <message>
        <source>the level is not a number</source>
        <translation>电平不是数字</translation>
    </message>
    <message>
        <source>the phase is not a number</source>
        <translation>相位不是数字</translation>
    </message>
    <message>
        <source>frequency %1 Hz below the line before: the points were sorted by frequency</source>
        <translation>频率 %1 Hz 低于上一行：各点已按频率排序</translation>
    </message>
    <message>
        <source>frequency repeated: the first line of it is used</source>
        <translation>频率重复：使用其第一行</translation>
    </message>
    <message>
        <source>frequency is not a finite number</source>
        <translation>频率不是有限数值</translation>
    </message>
    <message>
        <source>frequency is not above 0 Hz</source>
        <translation>频率不大于 0 Hz</translation>
    </message>
    <message>
        <source>frequency beyond 1 MHz</source>
        <translation>频率超过 1 MHz</translation>
    </message>
    <message>
        <source>level is not a finite number</source>
        <translation>电平不是有限数值</translation>
    </message>
    <message>
        <source>level beyond -1000..+1000 dB</source>
        <translation>电平超出 -1000..+1000 dB</translation>
    </message>
    <message>
        <source>phase is not a finite number</source>
        <translation>相位不是有限数值</translation>
    </message>
    <message>
        <source>phase beyond 10 million degrees</source>
        <translation>相位超过一千万度</translation>
    </message>
    <message>
        <source>No usable data lines: %1 lines with numbers could not be used (see below).</source>
        <translation>没有可用的数据行：%1 行含数字的行无法使用（见下文）。</translation>
    </message>
    <message>
        <source>The frequencies run from %1 to %2: they look like kHz. Give them in Hz (or name the column's unit, like &quot;Freq(kHz)&quot;).</source>
        <translation>频率范围为 %1 到 %2：看起来是 kHz。请以 Hz 给出（或注明该列的单位，如“Freq(kHz)”）。</translation>
    </message>
    <message>
        <source>The frequencies run from %1 to %2 Hz: none lies on the graph (%3..%4 Hz).</source>
        <translation>频率范围为 %1 到 %2 Hz：没有一个落在图表上（%3..%4 Hz）。</translation>
    </message>
    <message>
        <source>Columns found: %1; no level column (raw, spl, magnitude, db).</source>
        <translation>找到的列：%1；没有电平列（raw、spl、magnitude、db）。</translation>
    </message>
    <message>
        <source>No level column &quot;%1&quot;. Columns found: %2.</source>
        <translation>没有电平列“%1”。找到的列：%2。</translation>
    </message>
    <message>
        <source>The file has no header line naming its columns, so there is no column &quot;%1&quot; (a column can be given by its number, 1 for the first).</source>
        <translation>文件没有列出列名的标题行，因此没有“%1”列（列也可以用编号给出，第一列为 1）。</translation>
    </message>
    <message>
        <source>Column %1 cannot be the level: the first column is the frequency.</source>
        <translation>第 %1 列不能作为电平：第一列是频率。</translation>
    </message>
    <message>
        <source>(unnamed)</source>
        <translation>（未命名）</translation>
    </message>
    <message>
        <source>The routing is read as the architecture gives it: %1.</source>
        <translation>路由按架构的规定读取：%1。</translation>
    </message>
    <message>
        <source>%1 (outside the %2 routing)%3</source>
        <translation>%1（超出 %2 的路由）%3</translation>
    </message>
    <message>
        <source>%1 (the routing is %2's)%3</source>
        <translation>%1（该路由属于 %2）%3</translation>
    </message>
    <message>
        <source>%1 (outside the %2 routing)</source>
        <translation>%1（超出 %2 的路由）</translation>
    </message>
    <message>
        <source>%1 (the routing is %2's)</source>
        <translation>%1（该路由属于 %2）</translation>
    </message>
    <message>
        <source>Sum %1: silent</source>
        <translation>总和 %1：无声</translation>
    </message>
    <message>
        <source>%1 (muted)</source>
        <translation>%1（已静音）</translation>
    </message>
    <message>
        <source>Output</source>
        <translation>输出</translation>
    </message>
    <message>
        <source>Delay before</source>
        <translation>延时 之前</translation>
    </message>
    <message>
        <source>after</source>
        <translation>之后</translation>
    </message>
    <message>
        <source>Polarity before</source>
        <translation>极性 之前</translation>
    </message>
    <message>
        <source>Level before</source>
        <translation>电平 之前</translation>
    </message>
    <message>
        <source>normal</source>
        <translation>正常</translation>
    </message>
    <message>
        <source>inverted</source>
        <translation>反相</translation>
    </message>
    <message>
        <source>%1 ms %2 cm %3 smp</source>
        <translation>%1 ms %2 cm %3 采样</translation>
    </message>
    <message>
        <source>Predicted sum, RMS deviation from the flat target (its mean level taken out):</source>
        <translation>预测总和与平直目标的 RMS 偏差（已去除其平均电平）：</translation>
    </message>
    <message>
        <source>Predicted sum, RMS deviation from the target (its mean level taken out):</source>
        <translation>预测总和与目标的 RMS 偏差（已去除其平均电平）：</translation>
    </message>
    <message>
        <source>crossover %1 Hz (%2..%3 Hz): %4 dB before, %5 dB after</source>
        <translation>分频点 %1 Hz（%2..%3 Hz）：之前 %4 dB，之后 %5 dB</translation>
    </message>
    <message>
        <source>whole range     (%1..%2 Hz): %3 dB before, %4 dB after</source>
        <translation>整个范围（%1..%2 Hz）：之前 %3 dB，之后 %4 dB</translation>
    </message>
    <message>
        <source>Out %1 needs %2 samples of delay: held at the processor&apos;s limit of %3.</source>
        <translation>输出 %1 需要 %2 个采样的延时：已限制在处理器的上限 %3。</translation>
    </message>
    <message>
        <source>Left out of the sum, settings kept: %1 (muted)</source>
        <translation>未计入总和，设置保持不变：%1（已静音）</translation>
    </message>
    <message>
        <source>Left out of the sum, settings kept: %1 (outside the solo)</source>
        <translation>未计入总和，设置保持不变：%1（不在独奏中）</translation>
    </message>
    <message>
        <source>Left out of the sum, settings kept: %1 (no measurement)</source>
        <translation>未计入总和，设置保持不变：%1（没有测量）</translation>
    </message>
    <message>
        <source>nothing to align: every output given is muted or outside the solo</source>
        <translation>没有可对齐的输出：给出的每个输出都已静音或不在独奏中</translation>
    </message>
    <message>
        <source>Sum %1 after the alignment</source>
        <translation>对齐后的总和 %1</translation>
    </message>
    <message>
        <source>Sum %1 after the alignment (drawn %2 dB lower)</source>
        <translation>对齐后的总和 %1（绘制时降低 %2 dB）</translation>
    </message>
    <message>
        <source>Sum %1 after the alignment (drawn %2 dB higher)</source>
        <translation>对齐后的总和 %1（绘制时升高 %2 dB）</translation>
    </message>
    <message>
        <source>Sum %1 before the alignment</source>
        <translation>对齐前的总和 %1</translation>
    </message>
    <message>
        <source>Dashed: before the alignment</source>
        <translation>虚线：对齐之前</translation>
    </message>
</context>
</TS>
