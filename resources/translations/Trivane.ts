<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="zh_CN">
<context>
    <name>CecPage</name>
    <message>
        <source>CEC控制</source>
        <translation>CEC control</translation>
    </message>
    <message>
        <source>按键设置</source>
        <translation>Button settings</translation>
    </message>
    <message>
        <source>序号</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>按键名称</source>
        <translation>Button name</translation>
    </message>
    <message>
        <source>端口</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>CEC指令</source>
        <translation>CEC command</translation>
    </message>
    <message>
        <source>指令为逗号分隔的字节，例如 44,01,02。“应用”后按键生效，“保存”后下次仍保留。</source>
        <translation>A command is bytes separated by commas, e.g. 44,01,02. &quot;Apply&quot; puts the commands on the buttons; &quot;Save&quot; keeps them for next time.</translation>
    </message>
    <message>
        <source>恢复默认按键名称并清空所有指令</source>
        <translation>Restore the default button names and clear every command</translation>
    </message>
    <message>
        <source>默认</source>
        <translation>Defaults</translation>
    </message>
    <message>
        <source>把表中的名称和指令应用到控制按键</source>
        <translation>Apply the names and commands of the table to the control buttons</translation>
    </message>
    <message>
        <source>应用</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>保存控制按键的名称和指令</source>
        <translation>Save the control buttons&apos; names and commands</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>点击切换端口1/端口2</source>
        <translation>Click to switch between port 1 and port 2</translation>
    </message>
    <message>
        <source>端口2</source>
        <translation>Port 2</translation>
    </message>
    <message>
        <source>端口1</source>
        <translation>Port 1</translation>
    </message>
    <message>
        <source>以逗号分隔的字节，例如 44,01,02</source>
        <translation>Bytes separated by commas, e.g. 44,01,02</translation>
    </message>
    <message>
        <source>指令不能包含括号</source>
        <translation>the command cannot contain parentheses</translation>
    </message>
    <message>
        <source>指令不能包含空格</source>
        <translation>the command cannot contain blanks</translation>
    </message>
    <message>
        <source>指令不能包含控制字符</source>
        <translation>the command cannot contain control characters</translation>
    </message>
    <message>
        <source>指令只能包含英文字母、数字和符号</source>
        <translation>the command may hold only English letters, digits and symbols</translation>
    </message>
    <message>
        <source>指令中逗号之间不能为空</source>
        <translation>the command cannot have an empty item between commas</translation>
    </message>
    <message>
        <source>CEC配置读取失败！</source>
        <translation>The CEC configuration could not be read!</translation>
    </message>
    <message>
        <source>第%1行的CEC指令无效，已忽略！</source>
        <translation>The CEC command of row %1 is invalid and was ignored!</translation>
    </message>
    <message>
        <source>第%1行：%2，该行未应用！</source>
        <translation>Row %1: %2; the row was not applied!</translation>
    </message>
    <message>
        <source>第%1行也未应用。</source>
        <translation>Row %1 was not applied either.</translation>
    </message>
    <message>
        <source>应用成功！</source>
        <translation>Applied.</translation>
    </message>
    <message>
        <source>配置保存成功!</source>
        <translation>Configuration saved successfully!</translation>
    </message>
    <message>
        <source>配置保存失败！</source>
        <translation>The configuration could not be saved!</translation>
    </message>
</context>
<context>
    <name>Connection_Settings</name>
    <message>
        <source>连接设置</source>
        <translation>Network Configuration</translation>
    </message>
    <message>
        <source>通信方式</source>
        <translation>Connection Port</translation>
    </message>
    <message>
        <source>目的IP地址</source>
        <translation>Device IP Address</translation>
    </message>
    <message>
        <source>网络设置</source>
        <translation>Discover</translation>
    </message>
    <message>
        <source>本地IP地址</source>
        <translation>Local IP Address</translation>
    </message>
    <message>
        <source>端口号</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>请输入目标端口</source>
        <translation>Enter the target port</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>串口号</source>
        <translation>Serial Port</translation>
    </message>
    <message>
        <source>波特率</source>
        <translation>Baud Rate</translation>
    </message>
    <message>
        <source>COM口</source>
        <translation>Serial Port</translation>
    </message>
    <message>
        <source>数据接收失败!</source>
        <translation>Data reception failed!</translation>
    </message>
    <message>
        <source>波特率正确！</source>
        <translation>The baud rate is correct!</translation>
    </message>
    <message>
        <source>波特率错误！</source>
        <translation>Baud rate error!</translation>
    </message>
    <message>
        <source>串口不能为空！</source>
        <translation>Serial port cannot be empty!</translation>
    </message>
    <message>
        <source>IP重复，请修改！</source>
        <translation>IP duplicate, please modify!</translation>
    </message>
    <message>
        <source>请先搜索并选择目的IP地址！</source>
        <translation>Please search for and select the device IP address first!</translation>
    </message>
    <message>
        <source>请选择相同网段IP!</source>
        <translation>Select the same network segment!</translation>
    </message>
</context>
<context>
    <name>EdidPage</name>
    <message>
        <source>内置分辨率</source>
        <translation>Built-in resolutions</translation>
    </message>
    <message>
        <source>自定义EDID</source>
        <translation>Custom EDID</translation>
    </message>
    <message>
        <source>复制输出端EDID</source>
        <translation>Copy the EDID of an output</translation>
    </message>
    <message>
        <source>先选择输入端口，再选择要使用的EDID，然后点击“设置”。</source>
        <translation>Choose an input port, then the EDID to use, and click &quot;Set&quot;.</translation>
    </message>
    <message>
        <source>将选中的EDID设置到选中的输入端口</source>
        <translation>Assign the chosen EDID to the chosen input port</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>1024x768@60Hz PCM 2CH</source>
        <translation>1024x768@60Hz PCM 2CH</translation>
    </message>
    <message>
        <source>1280x720@60Hz PCM 2CH</source>
        <translation>1280x720@60Hz PCM 2CH</translation>
    </message>
    <message>
        <source>1360x768@60Hz PCM 2CH</source>
        <translation>1360x768@60Hz PCM 2CH</translation>
    </message>
    <message>
        <source>1920x1200@60Hz PCM 2CH</source>
        <translation>1920x1200@60Hz PCM 2CH</translation>
    </message>
    <message>
        <source>1600x1200@60Hz PCM 2CH</source>
        <translation>1600x1200@60Hz PCM 2CH</translation>
    </message>
    <message>
        <source>1920x1080@60Hz PCM 2CH</source>
        <translation>1920x1080@60Hz PCM 2CH</translation>
    </message>
    <message>
        <source>3840 x 2160P@30Hz</source>
        <translation>3840 x 2160P@30Hz</translation>
    </message>
    <message>
        <source>3840 x 2160P@60Hz</source>
        <translation>3840 x 2160P@60Hz</translation>
    </message>
    <message>
        <source>请选中输入端口！</source>
        <translation>Please select the input port!</translation>
    </message>
    <message>
        <source>请选中要设置的选项！</source>
        <translation>Please select an option.</translation>
    </message>
    <message>
        <source>EDID设置成功！</source>
        <translation>EDID setting succeeded!</translation>
    </message>
    <message>
        <source>EDID设置失败！</source>
        <translation>EDID setting failed: the device kept its profile!</translation>
    </message>
    <message>
        <source>自定义EDID%1</source>
        <translation>Custom EDID%1</translation>
    </message>
    <message>
        <source>复制输出%1</source>
        <translation>Copy output %1</translation>
    </message>
    <message>
        <source>自定义EDID名称保存失败！</source>
        <translation>The custom EDID name could not be saved!</translation>
    </message>
    <message>
        <source>将EDID文件写入自定义EDID槽位</source>
        <translation>Write an EDID file into a custom EDID slot</translation>
    </message>
    <message>
        <source>上传EDID文件</source>
        <translation>Upload EDID file</translation>
    </message>
    <message>
        <source>写入的自定义EDID槽位</source>
        <translation>Custom EDID slot to write</translation>
    </message>
    <message>
        <source>自定义EDID1</source>
        <translation>Custom EDID1</translation>
    </message>
    <message>
        <source>自定义EDID2</source>
        <translation>Custom EDID2</translation>
    </message>
    <message>
        <source>自定义EDID3</source>
        <translation>Custom EDID3</translation>
    </message>
    <message>
        <source>自定义EDID4</source>
        <translation>Custom EDID4</translation>
    </message>
    <message>
        <source>EDID文件</source>
        <translation>EDID file</translation>
    </message>
    <message>
        <source>点击“浏览”选择 .bin EDID文件，或将文件拖到窗口中</source>
        <translation>Click “Browse” to choose a .bin EDID file, or drag the file onto the window</translation>
    </message>
    <message>
        <source>浏览</source>
        <translation>Browse</translation>
    </message>
    <message>
        <source>上传</source>
        <translation>Upload</translation>
    </message>
    <message>
        <source>上传的文件会写入所选的自定义EDID槽位，之后可在EDID设置中用于输入端口。</source>
        <translation>The file is written into the chosen custom EDID slot; it can then be given to an input in the EDID settings.</translation>
    </message>
    <message>
        <source>返回EDID设置</source>
        <translation>Back to EDID settings</translation>
    </message>
    <message>
        <source>请勾选EDID类型！</source>
        <translation>Please tick an EDID slot!</translation>
    </message>
    <message>
        <source>正在上传EDID%1，请勿断开设备… %2%</source>
        <translation>Uploading EDID%1, do not disconnect the device… %2%</translation>
    </message>
    <message>
        <source>文件信息</source>
        <translation>File information</translation>
    </message>
    <message>
        <source>文件：</source>
        <translation>File:</translation>
    </message>
    <message>
        <source>文件大小：</source>
        <translation>File size:</translation>
    </message>
    <message>
        <source>EDID块：</source>
        <translation>EDID blocks:</translation>
    </message>
    <message>
        <source>格式：</source>
        <translation>Format:</translation>
    </message>
    <message>
        <source>上次上传：</source>
        <translation>Last upload:</translation>
    </message>
    <message>
        <source>未命名</source>
        <translation>Unnamed</translation>
    </message>
    <message>
        <source>%1 个完整块，另余 %2 字节</source>
        <translation>%1 whole blocks and %2 bytes more</translation>
    </message>
    <message>
        <source>%1 块（每块 %2 字节）</source>
        <translation>%1 blocks of %2 bytes</translation>
    </message>
    <message>
        <source>标准EDID</source>
        <translation>Standard EDID</translation>
    </message>
    <message>
        <source>大小不是%1字节的整数倍</source>
        <translation>size is not a multiple of %1 bytes</translation>
    </message>
    <message>
        <source>文件头不是 00 FF FF FF FF FF FF 00</source>
        <translation>header is not 00 FF FF FF FF FF FF 00</translation>
    </message>
    <message>
        <source>第%1块校验和不为0</source>
        <translation>checksum of block %1 is not 0</translation>
    </message>
    <message>
        <source>不是标准EDID格式（%1），设备仍会接收</source>
        <translation>Not a standard EDID (%1); the device accepts it all the same</translation>
    </message>
    <message>
        <source>本次上传：</source>
        <translation>This upload:</translation>
    </message>
    <message>
        <source>EDID%1，%2</source>
        <translation>EDID %1, %2</translation>
    </message>
    <message>
        <source>成功：EDID%1，用时 %2 秒</source>
        <translation>Succeeded: EDID %1 in %2 seconds</translation>
    </message>
    <message>
        <source>EDID%1已发出，%2</source>
        <translation>EDID %1 sent, %2</translation>
    </message>
    <message>
        <source>失败：EDID%1，%2</source>
        <translation>Failed: EDID %1, %2</translation>
    </message>
</context>
<context>
    <name>EquipmentControlPage</name>
    <message>
        <source>电源</source>
        <translation>Power</translation>
    </message>
    <message>
        <source>让设备进入待机</source>
        <translation>Put the device into standby</translation>
    </message>
    <message>
        <source>系统待机</source>
        <translation>Standby</translation>
    </message>
    <message>
        <source>唤醒待机中的设备</source>
        <translation>Wake the device from standby</translation>
    </message>
    <message>
        <source>系统唤醒</source>
        <translation>Wake up</translation>
    </message>
    <message>
        <source>前面板按键</source>
        <translation>Front panel keys</translation>
    </message>
    <message>
        <source>锁定设备前面板按键</source>
        <translation>Lock the device&apos;s front panel keys</translation>
    </message>
    <message>
        <source>按键锁定</source>
        <translation>Lock keys</translation>
    </message>
    <message>
        <source>解锁设备前面板按键</source>
        <translation>Unlock the device&apos;s front panel keys</translation>
    </message>
    <message>
        <source>按键解锁</source>
        <translation>Unlock keys</translation>
    </message>
    <message>
        <source>恢复出厂</source>
        <translation>Factory reset</translation>
    </message>
    <message>
        <source>将设备恢复为出厂设置</source>
        <translation>Return the device to its factory settings</translation>
    </message>
    <message>
        <source>恢复出厂设置</source>
        <translation>Restore factory settings</translation>
    </message>
    <message>
        <source>清除设备的全部设置、场景和通道名称，设备重启后使用出厂IP地址。</source>
        <translation>Clears all the device&apos;s settings, scenes and channel names; after restarting, the device uses its factory IP address.</translation>
    </message>
    <message>
        <source>恢复出厂设置将清除设备的全部设置、场景和通道名称，是否继续？</source>
        <translation>Restoring factory settings clears all the device&apos;s settings, scenes and channel names. Continue?</translation>
    </message>
</context>
<context>
    <name>FirmwarePage</name>
    <message>
        <source>升级文件</source>
        <translation>Upgrade file</translation>
    </message>
    <message>
        <source>点击“浏览”选择 .bin 升级文件，或将文件拖到窗口中</source>
        <translation>Click &quot;Browse&quot; to choose a .bin upgrade file, or drag the file onto the window</translation>
    </message>
    <message>
        <source>浏览</source>
        <translation>Browse</translation>
    </message>
    <message>
        <source>升级类型</source>
        <translation>Upgrade type</translation>
    </message>
    <message>
        <source>升级目标：</source>
        <translation>Target:</translation>
    </message>
    <message>
        <source>要升级的板卡编号</source>
        <translation>Number of the board to upgrade</translation>
    </message>
    <message>
        <source>升级</source>
        <translation>Upgrade</translation>
    </message>
    <message>
        <source>升级进度：</source>
        <translation>Progress:</translation>
    </message>
    <message>
        <source>请选择升级文件</source>
        <translation>Choose the upgrade file</translation>
    </message>
    <message>
        <source>文件打开失败！</source>
        <translation>File open failed!</translation>
    </message>
    <message>
        <source>请勾选升级类型！</source>
        <translation>Please tick the upgrade type!</translation>
    </message>
    <message>
        <source>请选择升级目标！</source>
        <translation>Please choose the upgrade target!</translation>
    </message>
    <message>
        <source>正在升级，请勿断开设备… %1%</source>
        <translation>Upgrading, do not disconnect the device… %1%</translation>
    </message>
    <message>
        <source>文件信息</source>
        <translation>File information</translation>
    </message>
    <message>
        <source>文件：</source>
        <translation>File:</translation>
    </message>
    <message>
        <source>文件大小：</source>
        <translation>File size:</translation>
    </message>
    <message>
        <source>升级数据：</source>
        <translation>Upgrade data:</translation>
    </message>
    <message>
        <source>文件校验：</source>
        <translation>File check:</translation>
    </message>
    <message>
        <source>上次升级：</source>
        <translation>Last upgrade:</translation>
    </message>
    <message>
        <source>未选择文件</source>
        <translation>No file chosen</translation>
    </message>
    <message>
        <source>%1 字节</source>
        <translation>%1 bytes</translation>
    </message>
    <message>
        <source>%1（%2）</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>%1（修改于 %2）</source>
        <translation>%1 (modified %2)</translation>
    </message>
    <message>
        <source>（文件大于%1）</source>
        <translation> (file larger than %1)</translation>
    </message>
    <message>
        <source>设备未应答</source>
        <translation>the device did not answer</translation>
    </message>
    <message>
        <source>设备拒绝接收</source>
        <translation>the device refused the data</translation>
    </message>
    <message>
        <source>连接中断</source>
        <translation>the connection was lost</translation>
    </message>
    <message>
        <source>数据未能发出</source>
        <translation>the data could not be sent</translation>
    </message>
    <message>
        <source>设备确认的不是所选槽位</source>
        <translation>the device confirmed another slot</translation>
    </message>
    <message>
        <source>未收到设备确认</source>
        <translation>no confirmation from the device</translation>
    </message>
    <message>
        <source>正在发送：%1%</source>
        <translation>Sending: %1%</translation>
    </message>
    <message>
        <source>正在发送：%1 / %2（%3%）</source>
        <translation>Sending: %1 of %2 (%3%)</translation>
    </message>
    <message>
        <source>%1，分 %2 包发送（每包 %3 字节）</source>
        <translation>%1, sent in %2 packets of %3 bytes</translation>
    </message>
    <message>
        <source>通过</source>
        <translation>Passed</translation>
    </message>
    <message>
        <source>（文件短于%1字节的校验块）</source>
        <translation> (the file is shorter than the %1-byte check block)</translation>
    </message>
    <message>
        <source>（校验块标识不是%1）</source>
        <translation> (the check block does not start with %1)</translation>
    </message>
    <message>
        <source>（长度字段 %1，实际数据 %2；长度字段按小端字节序写入）</source>
        <translation> (length field %1, actual data %2; the length field is written little-endian)</translation>
    </message>
    <message>
        <source>（长度字段 %1，实际数据 %2）</source>
        <translation> (length field %1, actual data %2)</translation>
    </message>
    <message>
        <source>本次升级：</source>
        <translation>This upgrade:</translation>
    </message>
    <message>
        <source>成功，用时 %1 秒</source>
        <translation>Succeeded in %1 seconds</translation>
    </message>
    <message>
        <source>成功，用时 %1 秒，平均 %2</source>
        <translation>Succeeded in %1 seconds, %2 on average</translation>
    </message>
    <message>
        <source>失败：%1，用时 %2 秒</source>
        <translation>Failed after %2 seconds: %1</translation>
    </message>
</context>
<context>
    <name>Information_Tips</name>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>Inquiry_Tips</name>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>LanguagePage</name>
    <message>
        <source>界面语言</source>
        <translation>Interface language</translation>
    </message>
    <message>
        <source>语言：</source>
        <translation>Language:</translation>
    </message>
    <message>
        <source>保存所选语言并立即应用</source>
        <translation>Store the chosen language and apply it now</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>语言设置保存失败！</source>
        <translation>The language setting could not be saved!</translation>
    </message>
    <message>
        <source>语言文件加载失败！</source>
        <translation>The language file could not be loaded!</translation>
    </message>
</context>
<context>
    <name>LoginFiles</name>
    <message>
        <source>账号文件已损坏或无法读取：%1</source>
        <translation>The account file is damaged or unreadable: %1</translation>
    </message>
    <message>
        <source>账号文件无法写入：%1</source>
        <translation>The account file cannot be written: %1</translation>
    </message>
</context>
<context>
    <name>Login_Interface</name>
    <message>
        <source>用户登录</source>
        <translation>Login</translation>
    </message>
    <message>
        <source>用户名</source>
        <translation>User Name</translation>
    </message>
    <message>
        <source>请输入用户名</source>
        <translation>Please enter user name</translation>
    </message>
    <message>
        <source>密码</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>请输入密码</source>
        <translation>Please enter password</translation>
    </message>
    <message>
        <source>类型</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>记住密码</source>
        <translation>Remember Password</translation>
    </message>
    <message>
        <source>连接设置</source>
        <translation>Network Config</translation>
    </message>
    <message>
        <source>登录</source>
        <translation>Login</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>默认账号: admin</source>
        <translation>Default: admin</translation>
    </message>
    <message>
        <source>默认密码: 739204</source>
        <translation>Default: 739204</translation>
    </message>
    <message>
        <source>请设置连接方式！</source>
        <translation>Please set the connection method!</translation>
    </message>
    <message>
        <source>串口名为空！</source>
        <translation>Serial port name is empty!</translation>
    </message>
    <message>
        <source>串口打开失败(被占用)</source>
        <translation>Serial port opening failed (occupied)</translation>
    </message>
    <message>
        <source>连接板卡失败！</source>
        <translation>Failed to connect the card!</translation>
    </message>
    <message>
        <source>账号不能为空！</source>
        <translation>Account cannot be empty!</translation>
    </message>
    <message>
        <source>密码不能为空！</source>
        <translation>Password cannot be empty!</translation>
    </message>
    <message>
        <source>输入账号错误！</source>
        <translation>Input account number error!</translation>
    </message>
    <message>
        <source>输入密码错误！</source>
        <translation>Password input error!</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Trivane</source>
        <translation>Trivane</translation>
    </message>
    <message>
        <source>信号切换</source>
        <translation>Signal Switching</translation>
    </message>
    <message>
        <source>输出设置</source>
        <translation>Output Settings</translation>
    </message>
    <message>
        <source>CEC控制</source>
        <translation>CEC Control</translation>
    </message>
    <message>
        <source>拼接控制</source>
        <translation>Video Wall</translation>
    </message>
    <message>
        <source>分割模式</source>
        <translation>Split Mode</translation>
    </message>
    <message>
        <source>EDID设置</source>
        <translation>EDID Settings</translation>
    </message>
    <message>
        <source>系统设置</source>
        <translation>System Settings</translation>
    </message>
    <message>
        <source>系统信息</source>
        <translation>System Info</translation>
    </message>
    <message>
        <source>型号设置</source>
        <translation>Model Settings</translation>
    </message>
    <message>
        <source>用户管理</source>
        <translation>User Management</translation>
    </message>
    <message>
        <source>IP设置</source>
        <translation>IP Settings</translation>
    </message>
    <message>
        <source>固件升级</source>
        <translation>Firmware Upgrade</translation>
    </message>
    <message>
        <source>设备控制</source>
        <translation>Device Control</translation>
    </message>
    <message>
        <source>语言设置</source>
        <translation>Language</translation>
    </message>
    <message>
        <source>通道重命名</source>
        <translation>Channel Rename</translation>
    </message>
    <message>
        <source>端口状态</source>
        <translation>Port Status</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>指令调试</source>
        <translation>Command Console</translation>
    </message>
    <message>
        <source>请输入指令，例如 (get,sw)</source>
        <translation>Enter a command, e.g. (get,sw)</translation>
    </message>
    <message>
        <source>发送</source>
        <translation>Send</translation>
    </message>
    <message>
        <source>清空窗口</source>
        <translation>Clear Window</translation>
    </message>
    <message>
        <source>导出文本</source>
        <translation>Export Text</translation>
    </message>
    <message>
        <source>查看日志</source>
        <translation>View Logs</translation>
    </message>
    <message>
        <source>receive:  
%1</source>
        <translation>receive:  
%1</translation>
    </message>
    <message>
        <source>send:  
%1</source>
        <translation>send:  
%1</translation>
    </message>
    <message>
        <source>指令不能为空！</source>
        <translation>Please enter a command.</translation>
    </message>
    <message>
        <source>心跳关闭成功!</source>
        <translation>Heartbeat closed successfully!</translation>
    </message>
    <message>
        <source>心跳打开成功!</source>
        <translation>Heartbeat successfully opened!</translation>
    </message>
    <message>
        <source>导出TXT文件</source>
        <translation>Export TXT file</translation>
    </message>
    <message>
        <source>TXT文件保存失败！</source>
        <translation>TXT file save failed!</translation>
    </message>
    <message>
        <source>文件打开失败！</source>
        <translation>File open failed!</translation>
    </message>
    <message>
        <source>TXT文件保存成功！</source>
        <translation>TXT file saved successfully!</translation>
    </message>
    <message>
        <source>设备处于待机中!</source>
        <translation>The device is on standby!</translation>
    </message>
    <message>
        <source>当前有数据正在下发！</source>
        <translation>There are currently data being distributed!</translation>
    </message>
    <message>
        <source> 正在重新连接...</source>
        <translation> Reconnecting...</translation>
    </message>
    <message>
        <source> 请求超时，连接失败！(重连次数: %1 )</source>
        <translation> Request timeout, connection failed! (number of reconnections: %1)</translation>
    </message>
    <message>
        <source> 连接状态: 已连接（串口）</source>
        <translation> Serial port is connected</translation>
    </message>
    <message>
        <source>串口连接成功！</source>
        <translation>Serial port connection succeeded!</translation>
    </message>
    <message>
        <source> 连接状态: 已连接（TCP）</source>
        <translation> TCP Connected</translation>
    </message>
    <message>
        <source>TCP连接成功！</source>
        <translation>TCP connection succeeded!</translation>
    </message>
    <message>
        <source>无数据返回！</source>
        <translation>No data returned!</translation>
    </message>
    <message>
        <source>设备连接中断！</source>
        <translation>Device connection down!</translation>
    </message>
    <message>
        <source> 连接状态: 已断开（串口）</source>
        <translation> Serial Port Disconnected</translation>
    </message>
    <message>
        <source>串口连接中断，请检查串口连接！</source>
        <translation>The serial port connection is interrupted, please check the serial port connection!</translation>
    </message>
    <message>
        <source>字幕设置</source>
        <translation>Subtitle settings</translation>
    </message>
    <message>
        <source>程序重启失败！</source>
        <translation>Program restart failed!</translation>
    </message>
    <message>
        <source>修改成功，重启后生效！</source>
        <translation>Modification successful. It will take effect after restart!</translation>
    </message>
    <message>
        <source>…… %1 行未显示：数据来得比控制台显示得快</source>
        <translation>… %1 lines not shown: they came faster than the console can show them</translation>
    </message>
    <message>
        <source>……（共 %1 个字符，只显示前 %2 个）</source>
        <translation>… (%1 characters in all, the first %2 shown)</translation>
    </message>
    <message>
        <source>指令含有设备无法识别的字符！</source>
        <translation>The command holds characters the device cannot read!</translation>
    </message>
    <message>
        <source> 连接状态: 设备无应答（TCP）</source>
        <translation> TCP: device not answering</translation>
    </message>
    <message>
        <source> 连接状态: 设备无应答（串口）</source>
        <translation> Serial port: device not answering</translation>
    </message>
    <message>
        <source> 连接状态: 等待设备应答（TCP）</source>
        <translation> TCP: waiting for the device</translation>
    </message>
    <message>
        <source> 连接状态: 等待设备应答（串口）</source>
        <translation> Serial port: waiting for the device</translation>
    </message>
    <message>
        <source> 连接状态: 已断开（TCP）</source>
        <translation> TCP Disconnected</translation>
    </message>
    <message>
        <source>升级文件请在“系统设置-固件升级”或“EDID设置”页面发送！</source>
        <translation>Send upgrade files from the “System settings - Firmware upgrade” or the “EDID settings” page!</translation>
    </message>
    <message>
        <source>当前有升级包在下发！</source>
        <translation>An upgrade package is being sent!</translation>
    </message>
    <message>
        <source>请拖拽bin文件！</source>
        <translation>Please drag a bin file!</translation>
    </message>
</context>
<context>
    <name>ModelSettingPage</name>
    <message>
        <source>设备信息</source>
        <translation>Device information</translation>
    </message>
    <message>
        <source>设备名称：</source>
        <translation>Device name:</translation>
    </message>
    <message>
        <source>请输入设备名称</source>
        <translation>Enter the device name</translation>
    </message>
    <message>
        <source>将名称保存到设备</source>
        <translation>Save the name to the device</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>设备名称不能能为空！</source>
        <translation>The device name must not be empty!</translation>
    </message>
    <message>
        <source>设备名称不能包含 ( ) , 或控制字符！</source>
        <translation>The device name must not contain ( ) , or control characters!</translation>
    </message>
    <message>
        <source>设备名称包含设备无法显示的字符！</source>
        <translation>The device name contains characters the device cannot display!</translation>
    </message>
    <message>
        <source>设备名称过长（最多%1个字节）！</source>
        <translation>The device name is too long (at most %1 bytes)!</translation>
    </message>
    <message>
        <source>最多%1个字节（一个汉字占2个字节），不能包含 ( ) , 等符号。</source>
        <translation>At most %1 bytes (a Chinese character takes 2); ( ) and , are not allowed.</translation>
    </message>
    <message>
        <source>设备概况</source>
        <translation>Device overview</translation>
    </message>
    <message>
        <source>矩阵规格：</source>
        <translation>Matrix size:</translation>
    </message>
    <message>
        <source>设备类型：</source>
        <translation>Device type:</translation>
    </message>
    <message>
        <source>连接：</source>
        <translation>Connection:</translation>
    </message>
    <message>
        <source>TCP %1:%2</source>
        <translation>TCP %1:%2</translation>
    </message>
    <message>
        <source>串口 %1，%2 bps</source>
        <translation>Serial port %1, %2 bps</translation>
    </message>
</context>
<context>
    <name>Modify_User</name>
    <message>
        <source>修改用户</source>
        <translation>Modify User</translation>
    </message>
    <message>
        <source>用户组:</source>
        <translation>User Group:</translation>
    </message>
    <message>
        <source>用户名:</source>
        <translation>User Name:</translation>
    </message>
    <message>
        <source>旧密码:</source>
        <translation>Old Password:</translation>
    </message>
    <message>
        <source>新密码:</source>
        <translation>New Password:</translation>
    </message>
    <message>
        <source>确认密码:</source>
        <translation>Confirm Password:</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>旧密码输入不能为空！</source>
        <translation>Old password input cannot be empty!</translation>
    </message>
    <message>
        <source>新密码输入不能为空！</source>
        <translation>New password input cannot be empty!</translation>
    </message>
    <message>
        <source>确认密码输入不能为空！</source>
        <translation>Confirm password input cannot be empty!</translation>
    </message>
    <message>
        <source>原密码错误！</source>
        <translation>The original password is wrong!</translation>
    </message>
    <message>
        <source>新密码不能和旧密码一样！</source>
        <translation>The new password is the same as the old one!</translation>
    </message>
    <message>
        <source>确认密码和新密码不一样！</source>
        <translation>The confirmation differs from the new password!</translation>
    </message>
</context>
<context>
    <name>NetworkSettingsPage</name>
    <message>
        <source>RS-232设置</source>
        <translation>RS-232 settings</translation>
    </message>
    <message>
        <source>输入端口波特率：</source>
        <translation>Input port baud rate:</translation>
    </message>
    <message>
        <source>读取设备输入端口的波特率</source>
        <translation>Read the baud rate of the device&apos;s input port</translation>
    </message>
    <message>
        <source>查询</source>
        <translation>Query</translation>
    </message>
    <message>
        <source>将所选波特率设置到设备输入端口</source>
        <translation>Set the selected baud rate on the device&apos;s input port</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>输出端口波特率：</source>
        <translation>Output port baud rate:</translation>
    </message>
    <message>
        <source>读取设备输出端口的波特率</source>
        <translation>Read the baud rate of the device&apos;s output port</translation>
    </message>
    <message>
        <source>将所选波特率设置到设备输出端口</source>
        <translation>Set the selected baud rate on the device&apos;s output port</translation>
    </message>
    <message>
        <source>串口连接时，更改输入端口波特率后软件将以新波特率重新连接。</source>
        <translation>On a serial connection, changing the input port&apos;s baud rate makes the program reconnect at the new rate.</translation>
    </message>
    <message>
        <source>网络设置</source>
        <translation>Network settings</translation>
    </message>
    <message>
        <source>IP地址：</source>
        <translation>IP address:</translation>
    </message>
    <message>
        <source>子网掩码：</source>
        <translation>Subnet mask:</translation>
    </message>
    <message>
        <source>默认网关：</source>
        <translation>Default gateway:</translation>
    </message>
    <message>
        <source>将地址、掩码和网关保存到设备</source>
        <translation>Save the address, mask and gateway to the device</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>保存后设备网络模块将重启，软件随后自动以新地址重新连接。</source>
        <translation>After saving, the device&apos;s network module restarts and the program reconnects to the new address.</translation>
    </message>
    <message>
        <source>输入波特率设置成功！</source>
        <translation>Input baud rate set successfully!</translation>
    </message>
    <message>
        <source>输出波特率设置成功！</source>
        <translation>Output baud rate set successfully!</translation>
    </message>
    <message>
        <source>设备未在新波特率下应答，已恢复为 %1</source>
        <translation>The device did not answer at the new baud rate; restored to %1</translation>
    </message>
    <message>
        <source>设备在新旧波特率下均无应答，请检查连接！</source>
        <translation>The device answers at neither the new nor the old baud rate. Please check the connection!</translation>
    </message>
    <message>
        <source>设备未确认波特率设置！</source>
        <translation>The device did not confirm the baud rate setting!</translation>
    </message>
    <message>
        <source>IP地址不能为空！</source>
        <translation>The IP address cannot be empty!</translation>
    </message>
    <message>
        <source>默认网关不能为空！</source>
        <translation>The default gateway cannot be empty!</translation>
    </message>
    <message>
        <source>子网掩码不能为空！</source>
        <translation>The subnet mask cannot be empty!</translation>
    </message>
    <message>
        <source>IP地址格式错误！</source>
        <translation>The IP address format is wrong!</translation>
    </message>
    <message>
        <source>默认网关格式错误！</source>
        <translation>The default gateway format is wrong!</translation>
    </message>
    <message>
        <source>子网掩码格式错误！</source>
        <translation>The subnet mask format is wrong!</translation>
    </message>
    <message>
        <source>电脑中不包含该网段，修改后可能无法通信,是否确认修改?</source>
        <translation>This computer has no address in that network; communication may fail after the change. Change anyway?</translation>
    </message>
    <message>
        <source>设备未接受网络设置！</source>
        <translation>The device did not accept the network settings!</translation>
    </message>
</context>
<context>
    <name>OutputPage</name>
    <message>
        <source>输出%1hdcp已打开，无法切换到dvi！</source>
        <translation>Output %1 HDCP is on, cannot switch to DVI!</translation>
    </message>
    <message>
        <source>设备当前的分辨率（不可选择）</source>
        <translation>The device&apos;s current resolution (cannot be chosen)</translation>
    </message>
    <message>
        <source>开启</source>
        <translation>On</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>输出分辨率</source>
        <translation>Output resolution</translation>
    </message>
    <message>
        <source>信号格式</source>
        <translation>Signal format</translation>
    </message>
    <message>
        <source>亮度</source>
        <translation>Brightness</translation>
    </message>
    <message>
        <source>对比度</source>
        <translation>Contrast</translation>
    </message>
    <message>
        <source>外置音频</source>
        <translation>External audio</translation>
    </message>
</context>
<context>
    <name>PartitionPage</name>
    <message>
        <source>分组</source>
        <translation>Groups</translation>
    </message>
    <message>
        <source>输入源</source>
        <translation>Inputs</translation>
    </message>
    <message>
        <source>请先选择分组</source>
        <translation>Choose a group first</translation>
    </message>
    <message>
        <source>分割模式</source>
        <translation>Split modes</translation>
    </message>
    <message>
        <source>窗口</source>
        <translation>Windows</translation>
    </message>
    <message>
        <source>先选择分组和分割模式，再选择输入源，然后点击要显示它的窗口。</source>
        <translation>Choose a group and a split mode, then an input, then click the window that should show it.</translation>
    </message>
    <message>
        <source>取消分割</source>
        <translation>Cancel split</translation>
    </message>
    <message>
        <source>分割模式%1</source>
        <translation>Split mode %1</translation>
    </message>
    <message>
        <source>第%1组（输入%2-%3）</source>
        <translation>Group %1 (inputs %2-%3)</translation>
    </message>
    <message>
        <source>窗口%1</source>
        <translation>Window %1</translation>
    </message>
    <message>
        <source>请先选择分组!</source>
        <translation>Please choose a group first!</translation>
    </message>
    <message>
        <source>分割模式设置失败!</source>
        <translation>Failed to set the split mode!</translation>
    </message>
    <message>
        <source>请先选择输入源!</source>
        <translation>Please choose an input first!</translation>
    </message>
    <message>
        <source>窗口输入设置失败!</source>
        <translation>Failed to set the window's input!</translation>
    </message>
    <message>
        <source>取消分割成功</source>
        <translation>Split cancelled</translation>
    </message>
    <message>
        <source>分割模式%1设置成功</source>
        <translation>Split mode %1 set successfully</translation>
    </message>
    <message>
        <source>窗口%1：%2</source>
        <translation>Window %1: %2</translation>
    </message>
</context>
<context>
    <name>PortStatusLable</name>
    <message>
        <source>连接状态: %1</source>
        <translation>Connection Status: %1</translation>
    </message>
    <message>
        <source>分辨率: %1</source>
        <translation>Resolution: %1</translation>
    </message>
</context>
<context>
    <name>PortStatusPage</name>
    <message>
        <source>输入端口状态</source>
        <translation>Input port status</translation>
    </message>
    <message>
        <source>输出端口状态</source>
        <translation>Output port status</translation>
    </message>
    <message>
        <source>刷新</source>
        <translation>Refresh</translation>
    </message>
</context>
<context>
    <name>RenamePage</name>
    <message>
        <source>输入通道</source>
        <translation>Input channels</translation>
    </message>
    <message>
        <source>清空</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>填入默认名称（保存后生效）</source>
        <translation>Fill in the default names (applied when saved)</translation>
    </message>
    <message>
        <source>加载</source>
        <translation>Load</translation>
    </message>
    <message>
        <source>填入当前保存的名称</source>
        <translation>Fill in the names stored now</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>输出通道</source>
        <translation>Output channels</translation>
    </message>
    <message>
        <source>场景列表</source>
        <translation>Scene list</translation>
    </message>
    <message>
        <source>输入%1</source>
        <translation>Input %1</translation>
    </message>
    <message>
        <source>输出%1</source>
        <translation>Output %1</translation>
    </message>
    <message>
        <source>场景%1</source>
        <translation>Scene %1</translation>
    </message>
    <message>
        <source>场景 %1</source>
        <translation>Scene %1</translation>
    </message>
    <message>
        <source>输入名称全部为空！</source>
        <translation>All input names are empty!</translation>
    </message>
    <message>
        <source>输出名称全部为空！</source>
        <translation>All output names are empty!</translation>
    </message>
    <message>
        <source>场景名称全部为空！</source>
        <translation>All scene names are empty!</translation>
    </message>
    <message>
        <source>名称保存失败！</source>
        <translation>The names could not be saved!</translation>
    </message>
    <message>
        <source>输入通道名称修改成功！</source>
        <translation>Input channel names saved.</translation>
    </message>
    <message>
        <source>输出通道名称修改成功！</source>
        <translation>Output channel names saved.</translation>
    </message>
    <message>
        <source>场景通道名称修改成功！</source>
        <translation>Scene names saved.</translation>
    </message>
</context>
<context>
    <name>ReplyDispatcher</name>
    <message>
        <source>按键锁定成功！</source>
        <translation>Keys locked!</translation>
    </message>
    <message>
        <source>按键解锁成功！</source>
        <translation>Keys unlocked!</translation>
    </message>
    <message>
        <source>设备名称设置成功！</source>
        <translation>Device name set!</translation>
    </message>
    <message>
        <source>恢复出厂值成功！</source>
        <translation>Factory settings restored!</translation>
    </message>
    <message>
        <source>系统待机成功！</source>
        <translation>System standby succeeded!</translation>
    </message>
    <message>
        <source>系统唤醒成功！</source>
        <translation>System wake-up succeeded!</translation>
    </message>
    <message>
        <source>网口参数修改成功,模块重启中!</source>
        <translation>Network settings changed, module restarting!</translation>
    </message>
</context>
<context>
    <name>ScenePanel</name>
    <message>
        <source>场景</source>
        <translation>Scenes</translation>
    </message>
    <message>
        <source>保存场景</source>
        <translation>Save scene</translation>
    </message>
    <message>
        <source>调用场景</source>
        <translation>Recall scene</translation>
    </message>
    <message>
        <source>删除场景</source>
        <translation>Delete scene</translation>
    </message>
    <message>
        <source>轮询设置</source>
        <translation>Polling settings</translation>
    </message>
    <message>
        <source>启动轮询</source>
        <translation>Start polling</translation>
    </message>
    <message>
        <source>轮询列表为空!</source>
        <translation>The polling list is empty!</translation>
    </message>
    <message>
        <source>场景不存在！</source>
        <translation>The scene does not exist!</translation>
    </message>
    <message>
        <source>请先选中要保存的场景！</source>
        <translation>Select the scene to save first!</translation>
    </message>
    <message>
        <source>请先选中要调用的场景！</source>
        <translation>Select the scene to recall first!</translation>
    </message>
    <message>
        <source>请选中要删除的场景！</source>
        <translation>Select the scene to delete!</translation>
    </message>
    <message>
        <source>您确定删除场景吗？</source>
        <translation>Delete this scene?</translation>
    </message>
    <message>
        <source>场景调用成功!</source>
        <translation>Scene recalled!</translation>
    </message>
    <message>
        <source>停止轮询</source>
        <translation>Stop polling</translation>
    </message>
    <message>
        <source>读取轮询设置失败！</source>
        <translation>The polling settings could not be read!</translation>
    </message>
</context>
<context>
    <name>Scene_Polling</name>
    <message>
        <source>场景轮询设置</source>
        <translation>Scene polling settings</translation>
    </message>
    <message>
        <source>已有场景列表</source>
        <translation>Stored scenes</translation>
    </message>
    <message>
        <source>添加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>全选</source>
        <translation>Add all</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Remove</translation>
    </message>
    <message>
        <source>清空</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>轮询场景列表</source>
        <translation>Polling list</translation>
    </message>
    <message>
        <source>时间间隔(S)</source>
        <translation>Interval (s)</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>ScreenWidget</name>
    <message>
        <source>输入: %1</source>
        <translation>Input: %1</translation>
    </message>
    <message>
        <source>输出: %1</source>
        <translation>Output: %1</translation>
    </message>
    <message>
        <source>绑定输出端口  </source>
        <translation>Bound output port  </translation>
    </message>
    <message>
        <source>输出: %1   </source>
        <translation>Output: %1   </translation>
    </message>
</context>
<context>
    <name>SearchModule</name>
    <message>
        <source>IP搜索</source>
        <translation>Discover Devices</translation>
    </message>
    <message>
        <source>搜索</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>高级</source>
        <translation>Advanced</translation>
    </message>
    <message>
        <source>IP地址:</source>
        <translation>IP Address:</translation>
    </message>
    <message>
        <source>默认网关:</source>
        <translation>Gateway:</translation>
    </message>
    <message>
        <source>子网掩码:</source>
        <translation>Subnet Mask:</translation>
    </message>
    <message>
        <source>修改</source>
        <translation>Modify</translation>
    </message>
    <message>
        <source>设备名</source>
        <translation>Device Name</translation>
    </message>
    <message>
        <source>设备IP</source>
        <translation>IP</translation>
    </message>
    <message>
        <source>设备MAC</source>
        <translation>MAC</translation>
    </message>
    <message>
        <source>版本</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>IP地址不能为空！</source>
        <translation>IP address is required.</translation>
    </message>
    <message>
        <source>默认网关不能为空！</source>
        <translation>Gateway is required.</translation>
    </message>
    <message>
        <source>子网掩码不能为空！</source>
        <translation>Subnet mask is required.</translation>
    </message>
    <message>
        <source>IP地址格式错误！</source>
        <translation>IP address format error!</translation>
    </message>
    <message>
        <source>默认网关格式错误！</source>
        <translation>Default gateway format error!</translation>
    </message>
    <message>
        <source>子网掩码格式错误！</source>
        <translation>Subnet mask format error!</translation>
    </message>
    <message>
        <source>电脑中不包含该网段!</source>
        <translation>Device IP not in same network as PC.</translation>
    </message>
    <message>
        <source>请先选择一个模块！</source>
        <translation>Please select a module first!</translation>
    </message>
    <message>
        <source>模块正在重启！</source>
        <translation>The module is restarting!</translation>
    </message>
    <message>
        <source>模块未接受新的IP地址！</source>
        <translation>The module did not accept the new IP address!</translation>
    </message>
</context>
<context>
    <name>SignalSwitchBut</name>
    <message>
        <source>输入: %1</source>
        <translation>Input: %1</translation>
    </message>
    <message>
        <source>分辨率: %1</source>
        <translation>Resolution: %1</translation>
    </message>
    <message>
        <source>输出: %1</source>
        <translation>Output: %1</translation>
    </message>
</context>
<context>
    <name>SplicingPage</name>
    <message>
        <source>拼接规格</source>
        <translation>Wall size</translation>
    </message>
    <message>
        <source>行数：</source>
        <translation>Rows:</translation>
    </message>
    <message>
        <source>列数：</source>
        <translation>Columns:</translation>
    </message>
    <message>
        <source>按所选行数和列数设置拼接墙</source>
        <translation>Set the wall to the chosen rows and columns</translation>
    </message>
    <message>
        <source>设置拼接</source>
        <translation>Set wall</translation>
    </message>
    <message>
        <source>拼缝补偿</source>
        <translation>Bezel compensation</translation>
    </message>
    <message>
        <source>垂直间距：</source>
        <translation>Vertical spacing:</translation>
    </message>
    <message>
        <source>水平间距：</source>
        <translation>Horizontal spacing:</translation>
    </message>
    <message>
        <source>补偿屏幕边框遮挡的画面</source>
        <translation>Make up for the picture hidden by the screen bezels</translation>
    </message>
    <message>
        <source>设置间隔</source>
        <translation>Set spacing</translation>
    </message>
    <message>
        <source>输出映射</source>
        <translation>Output mapping</translation>
    </message>
    <message>
        <source>右键单击屏幕绑定输出端口，发送拼接后选择输入源并单击屏幕上墙。</source>
        <translation>Right-click a screen to bind an output. After sending the wall, choose an input and click a screen to show it.</translation>
    </message>
    <message>
        <source>把各屏幕绑定的输出端口和位置发送给设备</source>
        <translation>Send each screen's output and position to the device</translation>
    </message>
    <message>
        <source>发送拼接</source>
        <translation>Send wall</translation>
    </message>
    <message>
        <source>清除设备上全部屏幕的输出映射</source>
        <translation>Clear the output mapping of every screen on the device</translation>
    </message>
    <message>
        <source>清除映射</source>
        <translation>Clear mapping</translation>
    </message>
    <message>
        <source>拼接成功!</source>
        <translation>Splicing succeeded!</translation>
    </message>
    <message>
        <source>清除映射成功!</source>
        <translation>Mapping cleared!</translation>
    </message>
    <message>
        <source>间隔设置成功!</source>
        <translation>Interval set successfully!</translation>
    </message>
    <message>
        <source>间隔设置失败!</source>
        <translation>Setting the interval failed!</translation>
    </message>
    <message>
        <source>请先绑定输出端口!</source>
        <translation>Please bind an output port first!</translation>
    </message>
    <message>
        <source>拼接行列总数不能超过</source>
        <translation>The total number of spliced rows cannot exceed </translation>
    </message>
</context>
<context>
    <name>SubtitleFlow</name>
    <message>
        <source>字幕参数设置成功!</source>
        <translation>Successfully set subtitle parameters!</translation>
    </message>
</context>
<context>
    <name>Subtitle_Set</name>
    <message>
        <source>字幕设置</source>
        <translation>Subtitle Setting</translation>
    </message>
    <message>
        <source>字幕内容：</source>
        <translation>Subtitle content:</translation>
    </message>
    <message>
        <source>显示设置：</source>
        <translation>Display Settings:</translation>
    </message>
    <message>
        <source>颜色：</source>
        <translation>Color:</translation>
    </message>
    <message>
        <source>白色</source>
        <translation>White</translation>
    </message>
    <message>
        <source>红色</source>
        <translation>Red</translation>
    </message>
    <message>
        <source>绿色</source>
        <translation>Green</translation>
    </message>
    <message>
        <source>蓝色</source>
        <translation>Blue</translation>
    </message>
    <message>
        <source>黑色</source>
        <translation>Black</translation>
    </message>
    <message>
        <source>状态：</source>
        <translation>Status:</translation>
    </message>
    <message>
        <source>开启</source>
        <translation>ON</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>OFF</translation>
    </message>
    <message>
        <source>位置：</source>
        <translation>Place:</translation>
    </message>
    <message>
        <source>左上</source>
        <translation>UpperLeft</translation>
    </message>
    <message>
        <source>右上</source>
        <translation>UpperRight</translation>
    </message>
    <message>
        <source>左下</source>
        <translation>LowerLeft</translation>
    </message>
    <message>
        <source>右下</source>
        <translation>LowerRight</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>字幕内容不能超过15个字符！</source>
        <translation>The subtitle cannot be longer than 15 characters!</translation>
    </message>
    <message>
        <source>字幕内容包含设备无法显示的字符！</source>
        <translation>The subtitle contains characters the device cannot display!</translation>
    </message>
    <message>
        <source>%1-字幕设置</source>
        <translation>%1-Subtitle Setting</translation>
    </message>
</context>
<context>
    <name>SwitchingPage</name>
    <message>
        <source>将选中的输入切换到全部输出</source>
        <translation>Route the selected input to all outputs</translation>
    </message>
    <message>
        <source>一键切换全部</source>
        <translation>One to All</translation>
    </message>
</context>
<context>
    <name>TitleBar</name>
    <message>
        <source>注销系统</source>
        <translation>Log off system</translation>
    </message>
    <message>
        <source>显示工具栏</source>
        <translation>Show Toolbar</translation>
    </message>
    <message>
        <source>取消置顶</source>
        <translation>Cancel Top</translation>
    </message>
    <message>
        <source>最小化</source>
        <translation>Minimize</translation>
    </message>
    <message>
        <source>最大化</source>
        <translation>Maximize</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>您确定注销系统吗？</source>
        <translation>Are you sure you want to log off?</translation>
    </message>
    <message>
        <source>隐藏工具栏</source>
        <translation>Hide Toolbar</translation>
    </message>
    <message>
        <source>置顶</source>
        <translation>Top</translation>
    </message>
    <message>
        <source>还原</source>
        <translation>Restore</translation>
    </message>
    <message>
        <source>您确定退出系统吗？</source>
        <translation>Are you sure you want to exit?</translation>
    </message>
</context>
<context>
    <name>TransferRunner</name>
    <message>
        <source>请导入EDID文件！</source>
        <translation>Please import an EDID file!</translation>
    </message>
    <message>
        <source>请选择升级文件</source>
        <translation>Please choose the upgrade file</translation>
    </message>
    <message>
        <source>升级文件不存在！</source>
        <translation>The upgrade file does not exist!</translation>
    </message>
    <message>
        <source>文件读取失败！</source>
        <translation>The file could not be read!</translation>
    </message>
    <message>
        <source>文件内容为空！</source>
        <translation>The file is empty!</translation>
    </message>
    <message>
        <source>文件校验失败！</source>
        <translation>File check failed!</translation>
    </message>
    <message>
        <source>升级文件内容为空！</source>
        <translation>The upgrade file has no content!</translation>
    </message>
    <message>
        <source>设备确认的是EDID%1，不是所选的EDID%2！</source>
        <translation>The device confirmed EDID%1, not the chosen EDID%2!</translation>
    </message>
    <message>
        <source>固件升级成功,设备正在重启！</source>
        <translation>Firmware upgraded successfully, the device is restarting!</translation>
    </message>
    <message>
        <source>固件升级所用时间: %1秒
</source>
        <translation>Firmware upgrade time: %1 seconds
</translation>
    </message>
    <message>
        <source>升级失败，退出升级!</source>
        <translation>Upgrade failed, exit upgrade!</translation>
    </message>
    <message>
        <source>
升级失败，退出升级!</source>
        <translation>
Upgrade failed, exit upgrade!</translation>
    </message>
    <message>
        <source>EDID%1上传后未收到设备确认！</source>
        <translation>EDID%1 was sent but the device did not confirm it!</translation>
    </message>
    <message>
        <source>
EDID%1上传后未收到设备确认！</source>
        <translation>
EDID%1 was sent but the device did not confirm it!</translation>
    </message>
    <message>
        <source>
设备确认的是EDID%1，不是所选的EDID%2！</source>
        <translation>
The device confirmed EDID%1, not the chosen EDID%2!</translation>
    </message>
    <message>
        <source>EDID%1上传失败！</source>
        <translation>EDID%1 upload failed!</translation>
    </message>
    <message>
        <source>
EDID%1上传失败！</source>
        <translation>
EDID%1 upload failed!</translation>
    </message>
    <message>
        <source>EDID%1升级成功！</source>
        <translation>EDID %1 upgraded successfully!</translation>
    </message>
    <message>
        <source>EDID%1升级所用时间: %2秒
</source>
        <translation>Time taken for EDID %1 upgrade: %2 seconds
</translation>
    </message>
</context>
<context>
    <name>UserManagement</name>
    <message>
        <source>用户列表</source>
        <translation>User</translation>
    </message>
    <message>
        <source>管理员</source>
        <translation>Administrators</translation>
    </message>
    <message>
        <source>普通用户</source>
        <translation>Ordinary</translation>
    </message>
</context>
<context>
    <name>VersionsPanel</name>
    <message>
        <source>主控版本：</source>
        <translation>Control card version:</translation>
    </message>
    <message>
        <source>接收板版本：</source>
        <translation>Receiver board version:</translation>
    </message>
    <message>
        <source>发送板版本：</source>
        <translation>Transmitter board version:</translation>
    </message>
    <message>
        <source>上位机版本：</source>
        <translation>Software version:</translation>
    </message>
</context>
</TS>
