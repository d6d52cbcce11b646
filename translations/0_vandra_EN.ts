<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="zh_CN">
<context>
    <name>AboutPopup</name>
    <message>
        <source>关于我们</source>
        <translation>About us</translation>
    </message>
    <message>
        <source>软件版本：</source>
        <translation>Software version：</translation>
    </message>
    <message>
        <source>雕刻机版本：</source>
        <translation>Machine version：</translation>
    </message>
    <message>
        <source>雕刻最大图像大小：1050*1050像素</source>
        <translation>The maximum Engraving image :1050*1050 pixels</translation>
    </message>
    <message>
        <source>雕刻最大面积：80*80mm</source>
        <translation>The largest area of sculpture: 80*80mm</translation>
    </message>
    <message>
        <source>快捷键</source>
        <translation>Keys</translation>
    </message>
</context>
<context>
    <name>CalibrationTools</name>
    <message>
        <source>校准色调……</source>
        <translation>Calibrate tone…</translation>
    </message>
    <message>
        <source>雕刻一张16级灰度色阶卡，对照或拍照测出材料的实际深浅，使中间调不再并在一起</source>
        <translation>Engrave a 16-step grey card and measure how dark the material really burns, by eye or from a photo, so that mid-tones stop merging</translation>
    </message>
    <message>
        <source>色调已校准</source>
        <translation>Tone calibrated</translation>
    </message>
    <message>
        <source>清除校准</source>
        <translation>Clear calibration</translation>
    </message>
    <message>
        <source>去掉所选预设的色调校准，按原样雕刻灰度</source>
        <translation>Remove the chosen preset&apos;s tone calibration and engrave greys as they are</translation>
    </message>
    <message>
        <source>已清除所选预设的色调校准</source>
        <translation>The chosen preset&apos;s tone calibration is cleared</translation>
    </message>
    <message>
        <source>色调校准已存入预设“%1”</source>
        <translation>Tone calibration saved in preset “%1”</translation>
    </message>
</context>
<context>
    <name>ControlButtons</name>
    <message>
        <source>断开雕刻机</source>
        <translation>Disconnect the engraver</translation>
    </message>
    <message>
        <source>连接雕刻机</source>
        <translation>Connect to the engraver</translation>
    </message>
    <message>
        <source>定位：激光沿图片的外框走一圈</source>
        <translation>Frame: the laser traces the picture&apos;s outline</translation>
    </message>
    <message>
        <source>停止雕刻</source>
        <translation>Stop engraving</translation>
    </message>
    <message>
        <source>开始雕刻（空格）</source>
        <translation>Start engraving (Space)</translation>
    </message>
    <message>
        <source>暂停雕刻（空格）</source>
        <translation>Pause engraving (Space)</translation>
    </message>
    <message>
        <source>按实际大小查看要雕刻的点</source>
        <translation>See the dots to engrave at true size</translation>
    </message>
</context>
<context>
    <name>CopiesControl</name>
    <message>
        <source>副本放不下：在此位置最多可排 %1 列 × %2 行</source>
        <translation>The copies do not fit: here at most %1 columns × %2 rows fit</translation>
    </message>
    <message>
        <source>正在框定位，请先停止框定位再开始打印……</source>
        <translation>Positioning, please stop the positioning and then start printing……</translation>
    </message>
    <message>
        <source>雕刻机未连接，请先点击连接按钮……</source>
        <translation>The engraver is not connected: press the connect button first……</translation>
    </message>
    <message>
        <source>框选的区域里没有上次雕刻的像素</source>
        <translation>The selected area holds nothing of the last engraving</translation>
    </message>
</context>
<context>
    <name>CopiesTools</name>
    <message>
        <source>排列多个副本</source>
        <translation>Lay out copies</translation>
    </message>
    <message>
        <source>补刻：框选上次雕刻的一部分再刻一遍</source>
        <translation>Touch up: select part of the last engraving and burn it again</translation>
    </message>
    <message>
        <source>列数</source>
        <translation>Columns</translation>
    </message>
    <message>
        <source>横向排几个副本</source>
        <translation>How many copies side by side</translation>
    </message>
    <message>
        <source>行数</source>
        <translation>Rows</translation>
    </message>
    <message>
        <source>纵向排几个副本</source>
        <translation>How many copies one below the other</translation>
    </message>
    <message>
        <source>间距 mm</source>
        <translation>Gap mm</translation>
    </message>
    <message>
        <source>相邻副本雕刻部分之间的距离，单位毫米</source>
        <translation>Distance between the burned parts of neighbouring copies, in millimetres</translation>
    </message>
</context>
<context>
    <name>CropOverlay</name>
    <message>
        <source>应用裁剪（Enter）</source>
        <translation>Apply the crop (Enter)</translation>
    </message>
    <message>
        <source>取消裁剪（Esc）</source>
        <translation>Cancel the crop (Esc)</translation>
    </message>
</context>
<context>
    <name>DrawimgBoard</name>
    <message>
        <source>图片保存失败……</source>
        <translation>The picture could not be saved……</translation>
    </message>
    <message>
        <source>图片文件不完整，只加载了可读的部分……</source>
        <translation>The picture file is incomplete; only its readable part was loaded……</translation>
    </message>
    <message>
        <source>处理完成……</source>
        <translation>Completed……</translation>
    </message>
    <message>
        <source>无法读取图片……</source>
        <translation>Cannot read the picture……</translation>
    </message>
    <message>
        <source>清除完成</source>
        <translation>Clearing Completed</translation>
    </message>
    <message>
        <source>滚动鼠标滚轮可缩放大小，双击图片可预览原图大小……</source>
        <translation>Scroll the Mouse Wheel to Zoom the Picture, Double-Click the Picture to Preview the Original Size……</translation>
    </message>
    <message>
        <source>滚动鼠标滚轮可选择字体……</source>
        <translation>Scroll the Mouse Wheel to Select the Font……</translation>
    </message>
    <message>
        <source>图片加载超时，已放弃……</source>
        <translation>Loading the picture took too long and was given up……</translation>
    </message>
    <message>
        <source>图片已保存到 %1</source>
        <translation>Picture saved to %1</translation>
    </message>
    <message>
        <source>现在无法导出图片……</source>
        <translation>The picture cannot be exported now……</translation>
    </message>
</context>
<context>
    <name>EffectColumn</name>
    <message>
        <source>正在加载原图……</source>
        <translation>Loading the original picture……</translation>
    </message>
    <message>
        <source>正在进行过滤处理……</source>
        <translation>Filtering……</translation>
    </message>
    <message>
        <source>正在进行二值化处理……</source>
        <translation>Binarizing……</translation>
    </message>
    <message>
        <source>正在进行离散化处理……</source>
        <translation>Discretizing……</translation>
    </message>
    <message>
        <source>灰度</source>
        <translation>Gray</translation>
    </message>
    <message>
        <source>黑白</source>
        <translation>Mc</translation>
    </message>
    <message>
        <source>离散</source>
        <translation>Dc</translation>
    </message>
    <message>
        <source>灰度：按深浅雕刻</source>
        <translation>Gray: engraves the shades of gray</translation>
    </message>
    <message>
        <source>截止值</source>
        <translation>Cut-off</translation>
    </message>
    <message>
        <source>截止值：比它亮的像素留白，松开滑块后生效</source>
        <translation>Cut-off: pixels lighter than it stay blank; applied when you let go</translation>
    </message>
    <message>
        <source>黑白：每个像素只烧或不烧</source>
        <translation>Black and white: each pixel is burned or left</translation>
    </message>
    <message>
        <source>阈值</source>
        <translation>Threshold</translation>
    </message>
    <message>
        <source>阈值：比它暗的像素被雕刻，松开滑块后生效</source>
        <translation>Threshold: pixels darker than it are burned; applied when you let go</translation>
    </message>
    <message>
        <source>离散：用点的疏密表现深浅（方式在色调面板中选）</source>
        <translation>Dithered: shades as dots, dense or sparse (the method is in the tone panel)</translation>
    </message>
    <message>
        <source>阈值：越高雕刻的点越多，松开滑块后生效</source>
        <translation>Threshold: the higher, the more dots are burned; applied when you let go</translation>
    </message>
</context>
<context>
    <name>EngraverReplies</name>
    <message>
        <source>风扇已打开……</source>
        <translation>The Fan is On……</translation>
    </message>
    <message>
        <source>风扇已关闭……</source>
        <translation>The Fan is Off……</translation>
    </message>
    <message>
        <source>已经启动框定位……</source>
        <translation>Positioning Started……</translation>
    </message>
    <message>
        <source>已经停止框定位……</source>
        <translation>Positioning Stopped……</translation>
    </message>
    <message>
        <source>连接成功……</source>
        <translation>Connected……</translation>
    </message>
    <message>
        <source>已断开连接……</source>
        <translation>Disconnected……</translation>
    </message>
    <message>
        <source>雕刻机没有接收数据，请检查连接……</source>
        <translation>The engraver is not taking data, please check the connection……</translation>
    </message>
    <message>
        <source>未找到雕刻机，请检查数据线和电源……</source>
        <translation>No engraver found, please check the cable and power……</translation>
    </message>
    <message>
        <source>没有权限打开 %1，请把用户加入 dialout 组后重新登录……</source>
        <translation>Not allowed to open %1: add your user to the dialout group and log in again……</translation>
    </message>
</context>
<context>
    <name>FinishColumn</name>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>完成</source>
        <translation>Done</translation>
    </message>
    <message>
        <source>清除</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>点击完成操作并跳转到控制界面……</source>
        <translation> Click to Complete the Operation and Jump to the Control Interface……</translation>
    </message>
    <message>
        <source>点击将保存现有的图片到电脑……</source>
        <translation>Click to Save the Picture to Your Computer……</translation>
    </message>
    <message>
        <source>点击将清除所有内容……</source>
        <translation>Click to Clear All……</translation>
    </message>
    <message>
        <source>保存：写在原图片旁，文件名前加 new_（Ctrl+S）</source>
        <translation>Save next to the original picture, its name starting with new_ (Ctrl+S)</translation>
    </message>
    <message>
        <source>清除画布上的全部内容（可撤销）</source>
        <translation>Clear everything on the canvas (can be undone)</translation>
    </message>
    <message>
        <source>完成：生成雕刻任务并转到控制页（Enter）</source>
        <translation>Done: prepare the engraving and go to the control page (Enter)</translation>
    </message>
</context>
<context>
    <name>FontList</name>
    <message>
        <source>选择字体</source>
        <translation>Select</translation>
    </message>
</context>
<context>
    <name>JobClocks</name>
    <message>
        <source>正在雕刻</source>
        <translation>Engraving</translation>
    </message>
    <message>
        <source>耗时</source>
        <translation>Took</translation>
    </message>
    <message>
        <source>剩余</source>
        <translation>Left</translation>
    </message>
    <message>
        <source>用时</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>预计</source>
        <translation>Estimate</translation>
    </message>
</context>
<context>
    <name>JobProgress</name>
    <message>
        <source>完成度</source>
        <translation>Complete </translation>
    </message>
</context>
<context>
    <name>KeySheet</name>
    <message>
        <source>打开图片</source>
        <translation>Open a picture</translation>
    </message>
    <message>
        <source>粘贴图片</source>
        <translation>Paste a picture</translation>
    </message>
    <message>
        <source>撤销</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>重做</source>
        <translation>Redo</translation>
    </message>
    <message>
        <source>保存图片</source>
        <translation>Save the picture</translation>
    </message>
    <message>
        <source>完成修图</source>
        <translation>Done (editing page)</translation>
    </message>
    <message>
        <source>方向键 / Shift+方向键</source>
        <translation>Arrows / Shift+arrows</translation>
    </message>
    <message>
        <source>移动图片 0.5mm / 5mm</source>
        <translation>Move the picture 0.5 mm / 5 mm</translation>
    </message>
    <message>
        <source>空格</source>
        <translation>Space</translation>
    </message>
    <message>
        <source>开始 / 暂停雕刻</source>
        <translation>Start / pause engraving</translation>
    </message>
    <message>
        <source>方向键（激光头选中时）</source>
        <translation>Arrows (laser marker focused)</translation>
    </message>
    <message>
        <source>移动激光头 0.5mm / 5mm</source>
        <translation>Move the laser 0.5 mm / 5 mm</translation>
    </message>
    <message>
        <source>修图页 / 控制页</source>
        <translation>Editing / control page</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>导出为 PNG 图片</source>
        <translation>Export as a PNG picture</translation>
    </message>
    <message>
        <source>Enter（裁剪时）</source>
        <translation>Enter (while cropping)</translation>
    </message>
    <message>
        <source>应用裁剪</source>
        <translation>Apply the crop</translation>
    </message>
    <message>
        <source>关闭面板 / 取消裁剪</source>
        <translation>Close the panel / cancel the crop</translation>
    </message>
    <message>
        <source>保存作品</source>
        <translation>Save work</translation>
    </message>
    <message>
        <source>打开作品</source>
        <translation>Open work</translation>
    </message>
</context>
<context>
    <name>MachineAction</name>
    <message>
        <source>雕刻机未连接，没有执行。请先在控制页点击连接按钮。</source>
        <translation>The engraver is not connected, so nothing was done. Press the connect button on the control page first.</translation>
    </message>
</context>
<context>
    <name>MenuModel</name>
    <message>
        <source>修图</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>控制</source>
        <translation>Control</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Setting</translation>
    </message>
</context>
<context>
    <name>OperationsFront</name>
    <message>
        <source>正在框定位，请先停止框定位再开始打印……</source>
        <translation>Positioning, please stop the positioning and then start printing……</translation>
    </message>
    <message>
        <source>请先加载图像……</source>
        <translation>Please Load Image……</translation>
    </message>
    <message>
        <source>输入有误,请重新输入</source>
        <translation>Incorrect Input, Please Re-enter</translation>
    </message>
    <message>
        <source>雕刻机未连接，请先点击连接按钮……</source>
        <translation>The engraver is not connected: press the connect button first……</translation>
    </message>
    <message>
        <source>已载入未完成的雕刻，连接雕刻机后按开始继续……</source>
        <translation>Unfinished engraving loaded: connect the engraver and press start to continue……</translation>
    </message>
</context>
<context>
    <name>PageStatus</name>
    <message>
        <source>正在查找雕刻机……</source>
        <translation>Searching for the engraver……</translation>
    </message>
    <message>
        <source>未连接</source>
        <translation>Not connected</translation>
    </message>
    <message>
        <source>已连接 %1</source>
        <translation>Connected to %1</translation>
    </message>
    <message>
        <source>已连接</source>
        <translation>Connected</translation>
    </message>
    <message>
        <source>无响应：雕刻机不接收数据</source>
        <translation>Silent: the engraver takes no data</translation>
    </message>
    <message>
        <source>停滞：雕刻机不再请求数据</source>
        <translation>Stalled: the engraver asks for no data</translation>
    </message>
    <message>
        <source>已中断</source>
        <translation>Interrupted</translation>
    </message>
    <message>
        <source>正在雕刻</source>
        <translation>Engraving</translation>
    </message>
    <message>
        <source>已暂停</source>
        <translation>Paused</translation>
    </message>
    <message>
        <source>正在框定位</source>
        <translation>Framing</translation>
    </message>
    <message>
        <source>空闲</source>
        <translation>Idle</translation>
    </message>
    <message>
        <source>没有作业</source>
        <translation>No job</translation>
    </message>
    <message>
        <source>剩余 %1</source>
        <translation>%1 left</translation>
    </message>
    <message>
        <source>耗时 %1</source>
        <translation>Took %1</translation>
    </message>
    <message>
        <source>预计 %1</source>
        <translation>Estimate %1</translation>
    </message>
</context>
<context>
    <name>PaintTools</name>
    <message>
        <source>画笔：在图片上绘画</source>
        <translation>Pen: draw on the picture</translation>
    </message>
    <message>
        <source>文字：点击图片放下文字框，双击图片写上文字</source>
        <translation>Text: click the picture to place a text box, double-click to write it</translation>
    </message>
    <message>
        <source>移动和缩放：拖动图片移动，滚轮缩放，双击看原大</source>
        <translation>Move and zoom: drag to move, wheel to zoom, double-click for the own size</translation>
    </message>
    <message>
        <source>裁剪：拖动框和角，双击或按 Enter 应用，Esc 取消</source>
        <translation>Crop: drag the frame and its corner; double-click or Enter applies, Esc cancels</translation>
    </message>
    <message>
        <source>图片大小（毫米）</source>
        <translation>Picture size (mm)</translation>
    </message>
    <message>
        <source>橡皮：把擦过的地方涂成白色</source>
        <translation>Eraser: paints white where it passes</translation>
    </message>
</context>
<context>
    <name>PassCount</name>
    <message>
        <source>遍数</source>
        <translation>Passes</translation>
    </message>
    <message>
        <source>同一图案在同一位置连续雕刻的遍数（1–20），遍数越多烧得越深</source>
        <translation>How many times the job is burned in a row at the same place (1–20): more passes burn deeper</translation>
    </message>
    <message>
        <source>第 %1 遍，共 %2 遍</source>
        <translation>Pass %1 of %2</translation>
    </message>
</context>
<context>
    <name>PenPanel</name>
    <message>
        <source>类型</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>大小</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>实线</source>
        <translation>Solid line</translation>
    </message>
    <message>
        <source>毛刷：笔迹旁带细丝</source>
        <translation>Fur: fine hairs along the stroke</translation>
    </message>
    <message>
        <source>随机圆圈</source>
        <translation>Random circles</translation>
    </message>
    <message>
        <source>网状：笔迹之间连线</source>
        <translation>Net: lines between the stroke&apos;s points</translation>
    </message>
</context>
<context>
    <name>PictureButtons</name>
    <message>
        <source>导出为 PNG 图片，供其他程序使用（Ctrl+Shift+S）</source>
        <translation>Export as a PNG picture for other programs (Ctrl+Shift+S)</translation>
    </message>
    <message>
        <source>导出为 PNG 图片</source>
        <translation>Export as a PNG picture</translation>
    </message>
    <message>
        <source>PNG 图片</source>
        <translation>PNG pictures</translation>
    </message>
    <message>
        <source>打开图片（Ctrl+O）</source>
        <translation>Open a picture (Ctrl+O)</translation>
    </message>
    <message>
        <source>撤销（Ctrl+Z）</source>
        <translation>Undo (Ctrl+Z)</translation>
    </message>
    <message>
        <source>重做（Ctrl+Shift+Z 或 Ctrl+Y）</source>
        <translation>Redo (Ctrl+Shift+Z or Ctrl+Y)</translation>
    </message>
    <message>
        <source>色调和离散方式</source>
        <translation>Tone and dithering</translation>
    </message>
    <message>
        <source>保存作品：图片、效果和雕刻设置，以后可再次雕刻（Ctrl+Alt+S）</source>
        <translation>Save the work: the picture, its look and the engraving settings, to engrave it again later (Ctrl+Alt+S)</translation>
    </message>
    <message>
        <source>打开作品（Ctrl+Alt+O）</source>
        <translation>Open a work (Ctrl+Alt+O)</translation>
    </message>
    <message>
        <source>图片已导出到 %1</source>
        <translation>Picture exported to %1</translation>
    </message>
    <message>
        <source>图片导出失败：%1</source>
        <translation>The picture could not be exported: %1</translation>
    </message>
</context>
<context>
    <name>PictureSources</name>
    <message>
        <source>图片</source>
        <translation>Pictures</translation>
    </message>
    <message>
        <source>所有文件</source>
        <translation>All files</translation>
    </message>
    <message>
        <source>打开图片</source>
        <translation>Open a picture</translation>
    </message>
</context>
<context>
    <name>PresetBar</name>
    <message>
        <source>请输入名称</source>
        <translation>Enter a name</translation>
    </message>
    <message>
        <source>已有同名预设</source>
        <translation>A preset of this name exists</translation>
    </message>
    <message>
        <source>已选择材料预设：%1</source>
        <translation>Material preset chosen: %1</translation>
    </message>
    <message>
        <source>预设“%1”已保存</source>
        <translation>Preset “%1” saved</translation>
    </message>
    <message>
        <source>预设“%1”已删除</source>
        <translation>Preset “%1” deleted</translation>
    </message>
    <message>
        <source>胶合板（参考起点）</source>
        <translation>Plywood (starting point)</translation>
    </message>
    <message>
        <source>瓦楞纸板（参考起点）</source>
        <translation>Cardboard (starting point)</translation>
    </message>
    <message>
        <source>皮革（参考起点）</source>
        <translation>Leather (starting point)</translation>
    </message>
    <message>
        <source>预设无法写入设置文件……</source>
        <translation>The presets could not be written to the settings file…</translation>
    </message>
    <message>
        <source>材料预设：%1</source>
        <translation>Material preset: %1</translation>
    </message>
    <message>
        <source>未选择</source>
        <translation>none chosen</translation>
    </message>
    <message>
        <source>（已更改）</source>
        <translation> (changed)</translation>
    </message>
    <message>
        <source>选择材料……</source>
        <translation>Choose a material…</translation>
    </message>
    <message>
        <source>选择材料：设置激光功率、雕刻深度、风扇、效果、阈值、色调和激光点大小</source>
        <translation>Choose a material: sets laser power, depth, fan, look, threshold, tone and dot size</translation>
    </message>
    <message>
        <source>已更改，尚未保存</source>
        <translation>Changed, not saved</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>把现在的功率、深度、风扇、效果和色调存入所选预设</source>
        <translation>Save the power, depth, fan, look and tone set now into the chosen preset</translation>
    </message>
    <message>
        <source>另存为……</source>
        <translation>Save as…</translation>
    </message>
    <message>
        <source>把现在的值存为新的预设</source>
        <translation>Save the values set now as a new preset</translation>
    </message>
    <message>
        <source>重命名……</source>
        <translation>Rename…</translation>
    </message>
    <message>
        <source>给所选预设改名</source>
        <translation>Rename the chosen preset</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>删除所选预设</source>
        <translation>Delete the chosen preset</translation>
    </message>
    <message>
        <source>预设名称</source>
        <translation>Preset name</translation>
    </message>
    <message>
        <source>删除“%1”？</source>
        <translation>Delete “%1”?</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>先在废料上试刻，再保存调好的值</source>
        <translation>Try it on a scrap first, then save the values that work</translation>
    </message>
    <message>
        <source>测试卡……</source>
        <translation>Test card…</translation>
    </message>
    <message>
        <source>刻一张功率 × 深度的方格测试卡，再把最好的一格存为预设</source>
        <translation>Burn a power × depth grid of squares, then save the best square as a preset</translation>
    </message>
</context>
<context>
    <name>PutText</name>
    <message>
        <source>输入</source>
        <translation>Input</translation>
    </message>
</context>
<context>
    <name>QuitPopup</name>
    <message>
        <source>提示</source>
        <translation>Tips</translation>
    </message>
    <message>
        <source>正在雕刻，退出将停止雕刻。确定退出吗？</source>
        <translation>Engraving is in progress; quitting stops it. Quit anyway?</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>ResumeQuestion</name>
    <message>
        <source>未完成的雕刻</source>
        <translation>Unfinished engraving</translation>
    </message>
    <message>
        <source>上次的雕刻在 %1% 处中断了。要在原来的位置继续雕刻吗？</source>
        <translation>The last engraving stopped at %1%. Continue it at the same place?</translation>
    </message>
    <message>
        <source>继续雕刻</source>
        <translation>Continue</translation>
    </message>
    <message>
        <source>放弃</source>
        <translation>Discard</translation>
    </message>
</context>
<context>
    <name>SettingsPopup</name>
    <message>
        <source>设置</source>
        <translation>Setting</translation>
    </message>
    <message>
        <source>当雕刻机连接成功后,激光器的位置不在左上角,需要重新置位</source>
        <translation>When the machine is connected successfully, if the position of the optical device is not on the upper left corner , it should be reset</translation>
    </message>
    <message>
        <source>重新置位</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>定位激光器到机器中间,这样您可以吧雕刻机收起到包装盒中</source>
        <translation>Locate the laser at the middle of the machine so that you can put it in the box</translation>
    </message>
    <message>
        <source>中间</source>
        <translation>Middle</translation>
    </message>
    <message>
        <source>低功耗模式消耗的电能会降低很多</source>
        <translation>In the low-power mode, the power consumption is very small</translation>
    </message>
    <message>
        <source>分钟</source>
        <translation>min</translation>
    </message>
    <message>
        <source>低功耗</source>
        <translation>Low power</translation>
    </message>
    <message>
        <source>语言选择，重启软件生效</source>
        <translation>Language,Restar valid</translation>
    </message>
    <message>
        <source>显示激光头和图片坐标,单位为mm</source>
        <translation>Display laser head and picture coordinates, in units of mm</translation>
    </message>
    <message>
        <source>是否显示图片打印进度</source>
        <translation>Display picture print progress</translation>
    </message>
    <message>
        <source>注意：按保存后才能真正保存，否则软件重启后就会恢复！</source>
        <translation>Note: you must save the picture, or it will be restored if the software be restarted！</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>SizePanel</name>
    <message>
        <source>更改图像大小</source>
        <translation>Change the Size</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>宽度(mm)</source>
        <translation>Width</translation>
    </message>
    <message>
        <source>高度(mm)</source>
        <translation>Height</translation>
    </message>
    <message>
        <source>保持宽高比</source>
        <translation>Keep the aspect ratio</translation>
    </message>
</context>
<context>
    <name>StalledJobNotice</name>
    <message>
        <source>雕刻机已停止请求数据，雕刻没有进展……</source>
        <translation>The engraver has stopped asking for data; the engraving has stalled……</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>重新连接</source>
        <translation>Reconnect</translation>
    </message>
</context>
<context>
    <name>StepMenu</name>
    <message>
        <source>图片定位</source>
        <translation>Positioning</translation>
    </message>
    <message>
        <source>左移0.5mm</source>
        <translation>Left 0.5mm</translation>
    </message>
    <message>
        <source>右移0.5mm</source>
        <translation>Right 0.5mm</translation>
    </message>
    <message>
        <source>上移0.5mm</source>
        <translation>Up 0.5mm</translation>
    </message>
    <message>
        <source>下移0.5mm</source>
        <translation>Down 0.5mm</translation>
    </message>
</context>
<context>
    <name>TestCardPanel</name>
    <message>
        <source>列数和行数须在 1 到 10 之间</source>
        <translation>Columns and rows must be between 1 and 10</translation>
    </message>
    <message>
        <source>功率须在 1% 到 100% 之间，且起点不大于终点</source>
        <translation>Power must be between 1% and 100%, the first not above the last</translation>
    </message>
    <message>
        <source>深度须在 1% 到 100% 之间，且起点不大于终点</source>
        <translation>Depth must be between 1% and 100%, the first not above the last</translation>
    </message>
    <message>
        <source>方格边长须在 2 到 20 mm 之间</source>
        <translation>Squares must be 2 to 20 mm</translation>
    </message>
    <message>
        <source>间距须在 0 到 10 mm 之间</source>
        <translation>The gap must be 0 to 10 mm</translation>
    </message>
    <message>
        <source>方格太小，放不下数值标签：请加大方格或间距</source>
        <translation>The squares are too small for their labels: make the squares or the gap larger</translation>
    </message>
    <message>
        <source>测试卡 %1 × %2 mm，超出 80 × 80 mm 的雕刻区域</source>
        <translation>The card is %1 × %2 mm, larger than the 80 × 80 mm engraving area</translation>
    </message>
    <message>
        <source>测试卡 %1 × %2 mm，放在雕刻区中央</source>
        <translation>The card is %1 × %2 mm, placed in the middle of the engraving area</translation>
    </message>
    <message>
        <source>开始雕刻测试卡……</source>
        <translation>Burning the test card……</translation>
    </message>
    <message>
        <source>功率 × 深度测试卡</source>
        <translation>Power × depth test card</translation>
    </message>
    <message>
        <source>激光功率</source>
        <translation>Laser power</translation>
    </message>
    <message>
        <source>第一列的激光功率（%）</source>
        <translation>Laser power of the first column (%)</translation>
    </message>
    <message>
        <source>到</source>
        <translation>to</translation>
    </message>
    <message>
        <source>最后一列的激光功率（%），也是雕刻时设定的激光功率</source>
        <translation>Laser power of the last column (%), which is also the laser power set for the card</translation>
    </message>
    <message>
        <source>%，列数</source>
        <translation>%, columns</translation>
    </message>
    <message>
        <source>几种功率，每种一列（1–10）</source>
        <translation>How many powers, one column each (1–10)</translation>
    </message>
    <message>
        <source>雕刻深度</source>
        <translation>Depth</translation>
    </message>
    <message>
        <source>第一行的雕刻深度（%）</source>
        <translation>Depth of the first row (%)</translation>
    </message>
    <message>
        <source>最后一行的雕刻深度（%）</source>
        <translation>Depth of the last row (%)</translation>
    </message>
    <message>
        <source>%，行数</source>
        <translation>%, rows</translation>
    </message>
    <message>
        <source>几种深度，每种一行，每行单独雕刻一次（1–10）</source>
        <translation>How many depths, one row each, each row burned on its own (1–10)</translation>
    </message>
    <message>
        <source>方格边长</source>
        <translation>Square size</translation>
    </message>
    <message>
        <source>每个方格的边长，单位毫米（2–20）</source>
        <translation>The side of each square, in millimetres (2–20)</translation>
    </message>
    <message>
        <source>mm，间距</source>
        <translation>mm, gap</translation>
    </message>
    <message>
        <source>相邻方格之间的距离，单位毫米（0–10）</source>
        <translation>Distance between neighbouring squares, in millimetres (0–10)</translation>
    </message>
    <message>
        <source>mm</source>
        <translation>mm</translation>
    </message>
    <message>
        <source>每行单独雕刻一次，用该行的深度；激光功率设为最后一列的值，各列按功率比例降低灰度强度，所以激光不会超过所选的最高功率。数值标签以全强度雕刻。</source>
        <translation>Each row is burned on its own, at its depth. The laser power is set to the last column&apos;s value and the columns burn at a share of it in grey mode, so the laser never goes beyond the highest power chosen. The labels burn at full strength.</translation>
    </message>
    <message>
        <source>雕刻测试卡</source>
        <translation>Burn the card</translation>
    </message>
    <message>
        <source>请先连接雕刻机</source>
        <translation>Connect the engraver first</translation>
    </message>
    <message>
        <source>在雕刻区中央逐行雕刻测试卡</source>
        <translation>Burn the card row by row in the middle of the engraving area</translation>
    </message>
    <message>
        <source>选择方格……</source>
        <translation>Pick a square…</translation>
    </message>
    <message>
        <source>选出刻得最好的方格，存为材料预设</source>
        <translation>Pick the square that came out best and save it as a material preset</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>预设名称</source>
        <translation>Preset name</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>存为预设……</source>
        <translation>Save as preset…</translation>
    </message>
    <message>
        <source>把这一格的功率和深度，连同现在的其他设置，存为新的材料预设</source>
        <translation>Save this square&apos;s power and depth, with the other settings as they are now, as a new material preset</translation>
    </message>
    <message>
        <source>返回</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>测试卡</source>
        <translation>Test card</translation>
    </message>
    <message>
        <source>第 %1 行，共 %2 行：深度 %3%</source>
        <translation>Row %1 of %2: depth %3%</translation>
    </message>
</context>
<context>
    <name>TestCardSquares</name>
    <message>
        <source>点选刻得最好的方格：</source>
        <translation>Click the square that came out best:</translation>
    </message>
    <message>
        <source>功率 %1%，深度 %2%</source>
        <translation>Power %1%, depth %2%</translation>
    </message>
    <message>
        <source>尚未选择方格</source>
        <translation>No square picked yet</translation>
    </message>
</context>
<context>
    <name>TextPanel</name>
    <message>
        <source>大小</source>
        <translation>Size</translation>
    </message>
</context>
<context>
    <name>TextPlacer</name>
    <message>
        <source>输入</source>
        <translation>Input</translation>
    </message>
</context>
<context>
    <name>ToneCalibration</name>
    <message>
        <source>雕刻进行中，结束后才能准备色阶卡</source>
        <translation>A job is running: prepare the grey card once it has ended</translation>
    </message>
    <message>
        <source>现在无法准备色阶卡……</source>
        <translation>Cannot prepare the grey card now…</translation>
    </message>
    <message>
        <source>无法拟合：各级应由白到黑逐渐变深。卡片是否读反了，或者没有刻上？</source>
        <translation>Cannot fit: the steps must darken from white to black. Was the card read the wrong way round, or not burned?</translation>
    </message>
    <message>
        <source>色阶卡已准备好：用所选预设的功率和深度按开始雕刻</source>
        <translation>The grey card is ready: press play to burn it with the preset&apos;s power and depth</translation>
    </message>
    <message>
        <source>色阶卡已准备好，按开始雕刻</source>
        <translation>The grey card is ready: press play to burn it</translation>
    </message>
    <message>
        <source>已从照片读出16级，请核对后拟合</source>
        <translation>16 steps read from the photo: check them, then fit</translation>
    </message>
    <message>
        <source>照片中找不到色阶卡：请让整个黑框清楚地出现在照片中，卡片摆正</source>
        <translation>No grey card found in the photo: show the whole black frame clearly, with the card straight</translation>
    </message>
    <message>
        <source>读取照片超时，已放弃……</source>
        <translation>Reading the photo took too long and was given up…</translation>
    </message>
    <message>
        <source>无法读取该图片……</source>
        <translation>Cannot read this picture…</translation>
    </message>
    <message>
        <source>色阶卡的照片或扫描</source>
        <translation>Photo or scan of the grey card</translation>
    </message>
    <message>
        <source>图片</source>
        <translation>Pictures</translation>
    </message>
    <message>
        <source>所有文件</source>
        <translation>All files</translation>
    </message>
    <message>
        <source>正在读取照片……</source>
        <translation>Reading the photo…</translation>
    </message>
    <message>
        <source>校准色调</source>
        <translation>Calibrate tone</translation>
    </message>
    <message>
        <source>材料：%1</source>
        <translation>Material: %1</translation>
    </message>
    <message>
        <source>请先选择一个材料预设，校准将存入其中</source>
        <translation>Choose a material preset first: the calibration is saved in it</translation>
    </message>
    <message>
        <source>准备色阶卡</source>
        <translation>Prepare grey card</translation>
    </message>
    <message>
        <source>16级由白到黑，外有黑框，按编辑页当前的效果雕刻（约76 × 12 毫米）</source>
        <translation>16 steps from white to black in a black frame, burned in the editing page&apos;s current look (about 76 × 12 mm)</translation>
    </message>
    <message>
        <source>雕刻后，把每一级调到与刻出的深浅相同的灰度，或者读取卡片的照片：</source>
        <translation>Once burned, set each step to the grey it came out as, or read a photo of the card:</translation>
    </message>
    <message>
        <source>第 %1 级（要求 %2）刻出的灰度：%3</source>
        <translation>Step %1 (asked %2) came out as grey %3</translation>
    </message>
    <message>
        <source>读取照片……</source>
        <translation>Read photo…</translation>
    </message>
    <message>
        <source>恢复要求的灰度</source>
        <translation>Back to the greys asked</translation>
    </message>
    <message>
        <source>材料颜色</source>
        <translation>Material colour</translation>
    </message>
    <message>
        <source>拟合并存入预设</source>
        <translation>Fit and save in preset</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>TonePanel</name>
    <message>
        <source>亮度</source>
        <translation>Brightness</translation>
    </message>
    <message>
        <source>伽马</source>
        <translation>Gamma</translation>
    </message>
    <message>
        <source>复位</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>对比度</source>
        <translation>Contrast</translation>
    </message>
    <message>
        <source>激光点大小</source>
        <translation>Laser dot size</translation>
    </message>
    <message>
        <source>离散方式</source>
        <translation>Dithering</translation>
    </message>
    <message>
        <source>网点</source>
        <translation>Halftone</translation>
    </message>
    <message>
        <source>网点大小</source>
        <translation>Halftone cell</translation>
    </message>
    <message>
        <source>色调</source>
        <translation>Tone</translation>
    </message>
    <message>
        <source>蛇形扫描</source>
        <translation>Serpentine scan</translation>
    </message>
</context>
<context>
    <name>ToolColumn</name>
    <message>
        <source>激光</source>
        <translation>Laser</translation>
    </message>
    <message>
        <source>雕刻深度</source>
        <translation>  Depth </translation>
    </message>
    <message>
        <source>设置激光功率</source>
        <translation>Set the laser power</translation>
    </message>
    <message>
        <source>设置雕刻深度</source>
        <translation>Set the engraving depth</translation>
    </message>
    <message>
        <source>打开或关闭风扇</source>
        <translation>Switch the fan on or off</translation>
    </message>
</context>
<context>
    <name>ToolPanels</name>
    <message>
        <source>橡皮</source>
        <translation>Eraser</translation>
    </message>
    <message>
        <source>缩放</source>
        <translation>Zoom</translation>
    </message>
    <message>
        <source>缩放比例 </source>
        <translation>Zoom Ratio</translation>
    </message>
</context>
<context>
    <name>TouchUpOverlay</name>
    <message>
        <source>拖动鼠标框选要补刻的区域</source>
        <translation>Drag to select the area to touch up</translation>
    </message>
    <message>
        <source>补刻</source>
        <translation>Touch up</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>TransformColumn</name>
    <message>
        <source>顺时针旋转 90°</source>
        <translation>Rotate 90° clockwise</translation>
    </message>
    <message>
        <source>左右镜像</source>
        <translation>Mirror left to right</translation>
    </message>
    <message>
        <source>上下镜像</source>
        <translation>Mirror top to bottom</translation>
    </message>
    <message>
        <source>反相：黑变白，白变黑</source>
        <translation>Negative: black turns white, white black</translation>
    </message>
</context>
<context>
    <name>TrueSizeView</name>
    <message>
        <source>实际大小</source>
        <translation>True size</translation>
    </message>
    <message>
        <source>放大2倍</source>
        <translation>Zoom 2x</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>按材料显示</source>
        <translation>Show as the material</translation>
    </message>
    <message>
        <source>按所选材料实测的深浅和颜色显示雕刻效果</source>
        <translation>Show the job with the darkness and colour measured on the chosen material</translation>
    </message>
</context>
<context>
    <name>WorkKeeper</name>
    <message>
        <source>现在无法保存作品……</source>
        <translation>The work cannot be saved now……</translation>
    </message>
    <message>
        <source>无法读取作品文件……</source>
        <translation>Cannot read the work file……</translation>
    </message>
    <message>
        <source>已打开作品 %1；雕刻进行中，功率、深度和风扇未改变</source>
        <translation>Opened the work %1; a job is running, so power, depth and fan were left as they are</translation>
    </message>
    <message>
        <source>已打开作品 %1</source>
        <translation>Opened the work %1</translation>
    </message>
    <message>
        <source>作品文件太大，无法打开……</source>
        <translation>The work file is too large to open……</translation>
    </message>
    <message>
        <source>这不是作品文件……</source>
        <translation>This is not a work file……</translation>
    </message>
    <message>
        <source>作品文件已损坏，无法打开……</source>
        <translation>The work file is damaged and cannot be opened……</translation>
    </message>
    <message>
        <source>这个作品文件由更新版本的程序保存，请升级后再打开……</source>
        <translation>This work file was saved by a newer version of the program; update it to open the file……</translation>
    </message>
    <message>
        <source>作品文件中的 %1 无效，无法打开……</source>
        <translation>The value %1 in the work file is not valid; the file cannot be opened……</translation>
    </message>
    <message>
        <source>作品文件中的图片无法读取……</source>
        <translation>The picture in the work file cannot be read……</translation>
    </message>
    <message>
        <source>作品文件读取超时，已放弃……</source>
        <translation>Reading the work file took too long and was given up……</translation>
    </message>
    <message>
        <source>无法读取作品文件：%1</source>
        <translation>Cannot read the work file: %1</translation>
    </message>
    <message>
        <source>作品已保存到 %1</source>
        <translation>Work saved to %1</translation>
    </message>
    <message>
        <source>作品保存失败：%1</source>
        <translation>The work could not be saved: %1</translation>
    </message>
    <message>
        <source>保存作品</source>
        <translation>Save work</translation>
    </message>
    <message>
        <source>作品文件</source>
        <translation>Work files</translation>
    </message>
    <message>
        <source>打开作品</source>
        <translation>Open work</translation>
    </message>
    <message>
        <source>所有文件</source>
        <translation>All files</translation>
    </message>
</context>
<context>
    <name>ZeroBurnQuestion</name>
    <message>
        <source>提示</source>
        <translation>Tips</translation>
    </message>
    <message>
        <source>激光功率和雕刻深度都为 0，什么也不会烧出来。仍然开始吗？</source>
        <translation>Laser power and depth are both 0: nothing will burn. Start anyway?</translation>
    </message>
    <message>
        <source>激光功率为 0，什么也不会烧出来。仍然开始吗？</source>
        <translation>Laser power is 0: nothing will burn. Start anyway?</translation>
    </message>
    <message>
        <source>雕刻深度为 0，什么也不会烧出来。仍然开始吗？</source>
        <translation>Depth is 0: nothing will burn. Start anyway?</translation>
    </message>
    <message>
        <source>仍然开始</source>
        <translation>Start anyway</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Kalvor</source>
        <translation>Kalvor</translation>
    </message>
    <message>
        <source>修图</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>当前正在打印状态，是否继续……</source>
        <translation>Now is printing status, whether to continue……</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Tips</translation>
    </message>
    <message>
        <source>状态</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>控制</source>
        <translation>Control</translation>
    </message>
</context>
</TS>
